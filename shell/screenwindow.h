#pragma once

#include <QWidget>

class QMenuBar;

namespace ks {

class Screen;

// The client area: where the controls live, and where a mouse move over no
// control becomes the screen's own mouse-move event.
class ScreenClient final : public QWidget
{
public:
    ScreenClient(Screen &screen, QWidget *parent);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    Screen &m_screen;
};

// The top-level window of a loaded screen: an optional menu bar over a client
// area of fixed size, where the controls live.
class ScreenWindow final : public QWidget
{
public:
    explicit ScreenWindow(Screen &screen);

    Screen &screen() const { return m_screen; }
    QWidget *client() const { return m_client; }
    QMenuBar *menuBar();

    void setClientSize(QSize size);
    void setBackColor(const QColor &color);
    void centreOnDesktop();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fitToClient();

    Screen &m_screen;
    ScreenClient *m_client;
    QMenuBar *m_menuBar = nullptr;
};

// The screen whose window holds widget, if any.
Screen *screenOf(QWidget *widget);

} // namespace ks
