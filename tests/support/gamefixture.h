#pragma once

#include "screens/screentable.h"
#include "support/hostfixture.h"

#include <QTest>

namespace ks::test {

// The whole game on the manual clock, for the tests of its screens: look up
// a screen's controls by the names the screen gives them, and type as a
// player does.
class GameFixture : public HostFixture
{
protected:
    void SetUp() override { makeHost(gameScreens()); }

    Screen &screen(const QString &name) { return host().screen(name); }
    template <typename T> T &control(const QString &screenName, const QString &id)
    {
        Control *c = screen(screenName).control(id);
        EXPECT_NE(c, nullptr) << screenName.toStdString() << "." << id.toStdString();
        return dynamic_cast<T &>(*c);
    }
    QString caption(const QString &screenName, const QString &id)
    {
        return control<Label>(screenName, id).caption();
    }
    bool visible(const QString &screenName, const QString &id)
    {
        return !dynamic_cast<QWidget &>(*screen(screenName).control(id)).isHidden();
    }
    // The name of the picture an image or picture box shows: "PCmika#4", or a
    // file's path and cell.
    QString picture(const QString &screenName, const QString &id)
    {
        Control *c = screen(screenName).control(id);
        if (auto *image = dynamic_cast<Image *>(c))
            return image->picture().name;
        return dynamic_cast<Panel &>(*c).picture().name;
    }

    // Each character as its key: letters and digits with their key codes,
    // anything else as the character alone.
    void type(const QString &text)
    {
        for (QChar c : text) {
            const char16_t u = c.unicode();
            int key = Qt::Key_unknown;
            if (u >= 'a' && u <= 'z')
                key = Qt::Key_A + (u - 'a');
            else if (u >= 'A' && u <= 'Z')
                key = Qt::Key_A + (u - 'A');
            else if (u >= '0' && u <= '9')
                key = Qt::Key_0 + (u - '0');
            else if (u == ' ')
                key = Qt::Key_Space;
            press(key, QString(c));
        }
    }
};

} // namespace ks::test
