#include "screen.h"

#include "dialogs.h"
#include "screenhost.h"
#include "screenwindow.h"
#include "units.h"

#include <QCloseEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

Q_LOGGING_CATEGORY(lcPlay, "ks.play", QtWarningMsg)

namespace ks {

ScreenClient::ScreenClient(Screen &screen, QWidget *parent) : QWidget(parent), m_screen(screen)
{
    setMouseTracking(true);
}

void ScreenClient::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    ScreenHost &host = m_screen.host();
    host.dispatch([this] {
        if (m_screen.isLoaded())
            m_screen.Form_MouseMove();
    });
}

ScreenWindow::ScreenWindow(Screen &screen)
    : m_screen(screen), m_client(new ScreenClient(screen, this))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    m_client->setAutoFillBackground(true);
    setWindowTitle(QString());
}

QMenuBar *ScreenWindow::menuBar()
{
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setNativeMenuBar(false);
        fitToClient();
    }
    return m_menuBar;
}

void ScreenWindow::setClientSize(QSize size)
{
    m_client->resize(size);
    fitToClient();
}

void ScreenWindow::fitToClient()
{
    const int top = m_menuBar ? m_menuBar->sizeHint().height() : 0;
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, m_client->width(), top);
    m_client->move(0, top);
    setFixedSize(m_client->width(), m_client->height() + top);
}

void ScreenWindow::setBackColor(const QColor &color)
{
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, color);
    m_client->setPalette(palette);
}

void ScreenWindow::centreOnDesktop()
{
    if (const QScreen *desktop = QGuiApplication::primaryScreen()) {
        const QRect area = desktop->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void ScreenWindow::closeEvent(QCloseEvent *event)
{
    // The window's close button unloads the screen, as the screens expect.
    event->ignore();
    ScreenHost &host = m_screen.host();
    host.dispatch([&] {
        if (m_screen.isLoaded())
            m_screen.closeRequested();
    });
}

Screen *screenOf(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *window = dynamic_cast<ScreenWindow *>(w))
            return &window->screen();
        // A message box or file dialog is parented to a screen's window but
        // is a window of its own: its keys are not the screen's.
        if (w->isWindow())
            return nullptr;
    }
    return nullptr;
}

Screen::Screen(ScreenHost &host, QString name) : m_host(host), m_name(std::move(name)) {}

Screen::~Screen()
{
    destroyWindow();
}

bool Screen::isShown() const
{
    return m_window && m_window->isVisible();
}

QWidget *Screen::window() const
{
    return m_window.get();
}

QWidget *Screen::client() const
{
    return m_window ? m_window->client() : nullptr;
}

Control *Screen::control(const QString &id) const
{
    for (Control *c : m_controls) {
        if (c->id() == id)
            return c;
    }
    return nullptr;
}

void Screen::Form_KeyDown(int &, int) {}
void Screen::closeRequested()
{
    m_host.unload(*this);
}
void Screen::Form_KeyPress(int &) {}
void Screen::writeVariables(StateWriter &) const {}

Services &Screen::services() const
{
    return m_host.services();
}

void Screen::writeState(StateWriter &out) const
{
    const QString caption = m_window ? m_window->windowTitle() : QString();
    out.add(m_name + QStringLiteral(".caption"), caption);
    out.add(m_name + QStringLiteral(".visible"),
            isShown() ? QStringLiteral("1") : QStringLiteral("0"));
    out.add(m_name + QStringLiteral(".loaded"),
            isLoaded() ? QStringLiteral("1") : QStringLiteral("0"));
    for (const Control *c : m_controls)
        c->writeState(out, m_name + '.' + c->id());
    writeVariables(out);
}

void Screen::setCaption(const QString &caption)
{
    m_window->setWindowTitle(caption);
}

void Screen::setGameScreen(const QString &caption, Border border)
{
    setCaption(caption);
    setBorder(border);
    setClientSize(9600, 7200);
    setBackColor(Qt::black);
}

void Screen::setClientSize(int widthTwips, int heightTwips)
{
    m_window->setClientSize(QSize(twips(widthTwips), twips(heightTwips)));
}

void Screen::setBorder(Border border)
{
    Qt::WindowFlags flags;
    switch (border) {
    case Border::Fixed:
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        m_window->setWindowIcon(m_host.programIcon());
        break;
    case Border::Result:
        flags =
            Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        m_window->setWindowIcon(m_host.programIcon());
        break;
    case Border::Tool:
        flags =
            Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case Border::None:
        flags = Qt::Tool | Qt::FramelessWindowHint;
        break;
    case Border::Dialog:
        flags =
            Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        m_window->setWindowIcon(m_host.programIcon());
        break;
    }
    m_window->setWindowFlags(flags);
}

void Screen::setBackColor(const QColor &color)
{
    m_window->setBackColor(color);
}

Label *Screen::addLabel(const Place &place, const QString &caption, const LabelStyle &style,
                        QWidget *parent)
{
    auto *label = add<Label>(place.name, place.index, place.twips, parent);
    label->setFontPoints(style.points, style.bold);
    label->setForeColor(style.fore);
    if (style.back.isValid())
        label->setBackColor(style.back);
    else
        label->setTransparent(true);
    label->setTextAlign(style.align);
    label->setItalic(style.italic);
    label->setBorder(style.border);
    label->setCaption(caption);
    label->finishSetUp();
    return label;
}

Label *Screen::addBubble(const Place &box, const Place &label, double points, bool bold,
                         QWidget *parent)
{
    auto *shape = add<Shape>(box.name, box.index, box.twips, parent);
    shape->setKind(ShapeKind::RoundedRectangle);
    shape->setFillColor(HouseColour::BubbleFill);
    shape->setBorderColor(HouseColour::BubbleBorder);
    shape->setBorderWidth(2);
    return addLabel(label, QString(), {points, bold, Qt::black}, parent);
}

Image *Screen::addImage(const Place &place, const Picture &picture, QWidget *parent)
{
    auto *image = add<Image>(place.name, place.index, place.twips, parent);
    image->setPicture(picture);
    return image;
}

OverlayImage *Screen::addOverlay(const QString &name, Image *under, const Picture &picture,
                                 const QColor &background)
{
    auto overlay = std::make_unique<OverlayImage>(*under, name);
    overlay->setPicture(picture, background);
    OverlayImage *raw = overlay.get();
    m_controls.push_back(raw);
    m_ownedControls.push_back(std::move(overlay));
    return raw;
}

TimerControl *Screen::addTimer(const QString &name, int interval, bool enabled,
                               std::function<void()> handler)
{
    auto timer = std::make_unique<TimerControl>(services().clock, name);
    timer->onTick = handlerOf(std::move(handler));
    timer->setInterval(interval);
    timer->setEnabled(enabled);
    TimerControl *raw = timer.get();
    m_controls.push_back(raw);
    m_ownedControls.push_back(std::move(timer));
    return raw;
}

SoundPlayer *Screen::addSoundPlayer(const QString &name, SoundRole role)
{
    auto player = std::make_unique<SoundPlayer>(services().sound, m_name, name, role);
    SoundPlayer *raw = player.get();
    m_controls.push_back(raw);
    m_ownedControls.push_back(std::move(player));
    return raw;
}

QMenu *Screen::addMenu(const QString &title)
{
    return m_window->menuBar()->addMenu(title);
}

Label *Screen::addMenuBarLabel(const Place &place, const LabelStyle &style)
{
    QMenuBar *bar = m_window->menuBar();
    Label *label = addLabel(place, QString(), style, bar);
    label->setFixedSize(twipsRect(place.twips).size());
    // Clear of the window's edge, as the menus are of its other edge.
    label->setContentsMargins(0, 0, 8, 0);
    bar->setCornerWidget(label, Qt::TopRightCorner);
    return label;
}

MenuItem *Screen::addMenuItem(QMenu *menu, const QString &name, const QString &caption,
                              const QKeySequence &shortcut, std::function<void()> handler)
{
    QAction *action = menu->addAction(caption);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    auto item = std::make_unique<MenuItem>(action, name, handlerOf(std::move(handler)));
    MenuItem *raw = item.get();
    m_controls.push_back(raw);
    m_ownedControls.push_back(std::move(item));
    return raw;
}

void Screen::onClick(WidgetControl *control, std::function<void()> handler)
{
    control->m_click = handlerOf(std::move(handler));
}

void Screen::onMouseMove(WidgetControl *control, std::function<void()> handler)
{
    control->m_mouseMove = handlerOf(std::move(handler));
}

void Screen::onChange(VScrollBar *bar, std::function<void()> handler)
{
    bar->m_change = handlerOf(std::move(handler));
}

void Screen::onFocusIn(WidgetControl *control, std::function<void()> handler)
{
    control->m_focusIn = handlerOf(std::move(handler));
}

void Screen::tellAndClose(const QString &text)
{
    services().dialogs.message(window(), text, [this] { m_host.unload(*this); });
}

void Screen::traceReady(const QString &detail) const
{
    if (detail.isEmpty())
        qCDebug(lcPlay).noquote() << m_name << "ready";
    else
        qCDebug(lcPlay).noquote() << m_name << "ready" << detail;
}

std::function<void()> Screen::handlerOf(std::function<void()> handler)
{
    return [this, handler = std::move(handler)] {
        if (isLoaded())
            m_host.dispatch(handler);
    };
}

QRect Screen::twipsRect(QRect t)
{
    return ks::twipsRect(t.x(), t.y(), t.width(), t.height());
}

void Screen::load()
{
    m_window = std::make_unique<ScreenWindow>(*this);
    setBorder(Border::Fixed);
    // The desktop's own window colour, as a dialog has it.
    setBackColor(QGuiApplication::palette().color(QPalette::Window));
    createControls();
    m_window->centreOnDesktop();
}

void Screen::destroyWindow()
{
    m_controls.clear();
    // Timers and players go now: they must not tick or sound for a window
    // that is gone.
    m_ownedControls.clear();
    if (!m_window)
        return;
    // The window itself goes once the event that closed it is over: a key or
    // click that unloads its own screen is still being delivered to it.
    m_window->hide();
    m_window.release()->deleteLater();
}

} // namespace ks
