#include "screenhost.h"

#include "dialogs.h"
#include "screenwindow.h"

#include <QApplication>
#include <QBackingStore>
#include <QKeyEvent>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcHost, "ks.host", QtWarningMsg)

namespace ks {

namespace {

template <typename T> void removeAll(std::vector<T> &v, const T &value)
{
    v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

ScreenHost::ScreenHost(Services services, ScreenTable table)
    : m_services(std::move(services)), m_table(std::move(table))
{
    if (qApp)
        qApp->installEventFilter(this);
    m_services.dialogs.setAfterAnswers([this] { refocus(); });
}

ScreenHost::~ScreenHost()
{
    m_services.dialogs.setAfterAnswers({});
    if (qApp)
        qApp->removeEventFilter(this);
    // Windows go before the services they use.
    for (auto &[name, screen] : m_screens)
        screen->destroyWindow();
}

Screen &ScreenHost::screen(const QString &name)
{
    if (auto found = m_screens.find(name); found != m_screens.end())
        return *found->second;
    for (const auto &[entry, factory] : m_table) {
        if (entry == name)
            return *m_screens.emplace(name, factory(*this)).first->second;
    }
    qFatal("no screen named %s", qPrintable(name));
}

std::vector<Screen *> ScreenHost::screens() const
{
    std::vector<Screen *> result;
    for (const auto &[name, factory] : m_table) {
        if (auto found = m_screens.find(name); found != m_screens.end())
            result.push_back(found->second.get());
    }
    return result;
}

void ScreenHost::show(Screen &screen)
{
    dispatch([&] { present(screen, false); });
}

void ScreenHost::showModal(Screen &screen, std::function<void()> then)
{
    dispatch([&] {
        // Registered first: a Form_Load that closes its screen again still continues.
        m_modal.push_back({&screen, std::move(then)});
        present(screen, true);
    });
}

void ScreenHost::present(Screen &screen, bool modal)
{
    const bool wasShown = screen.isShown();
    if (!screen.isLoaded()) {
        screen.load();
        trace(QStringLiteral("load ") + screen.name());
        // Modality must be set before the window is first shown.
        if (modal)
            screen.window()->setWindowModality(Qt::ApplicationModal);
        screen.Form_Load();
        if (!screen.isLoaded())
            return;
    } else if (modal) {
        screen.window()->setWindowModality(Qt::ApplicationModal);
    }
    // A box opened by the load (or still open from before) stays in front:
    // the screen waits for its answer, and never appears if the answer sent
    // the player elsewhere, as a form that unloads itself during its load
    // never appears.
    if (m_services.dialogs.isOpen()) {
        m_services.dialogs.whenAllAnswered([this, &screen, modal, wasShown] {
            dispatch([&] {
                if (screen.isLoaded() && !isPresented(screen))
                    reveal(screen, modal, wasShown);
            });
        });
        return;
    }
    reveal(screen, modal, wasShown);
}

bool ScreenHost::isPresented(const Screen &screen) const
{
    return std::find(m_shownOrder.begin(), m_shownOrder.end(), &screen) != m_shownOrder.end() &&
           screen.isShown();
}

void ScreenHost::reveal(Screen &screen, bool modal, bool wasShown)
{
    if (modal)
        trace(QStringLiteral("show modal ") + screen.name());
    else if (!wasShown)
        trace(QStringLiteral("show ") + screen.name());
    removeAll(m_shownOrder, &screen);
    m_shownOrder.push_back(&screen);
    screen.window()->show();
    screen.window()->raise();
    screen.window()->activateWindow();
}

void ScreenHost::hide(Screen &screen)
{
    dispatch([&] {
        if (!screen.isShown())
            return;
        screen.window()->hide();
        // A hidden screen may stay hidden for a whole mode (the menu does):
        // its pixels go back to the window system, and showing it again
        // draws it afresh at its full size.
        if (QBackingStore *store = screen.window()->backingStore())
            store->resize(QSize(1, 1));
        trace(QStringLiteral("hide ") + screen.name());
        finishModal(screen);
        refocus();
    });
}

void ScreenHost::unload(Screen &screen)
{
    if (!screen.isLoaded() ||
        std::find(m_unloading.begin(), m_unloading.end(), &screen) != m_unloading.end())
        return;
    dispatch([&] {
        m_unloading.push_back(&screen);
        screen.Form_Unload();
        removeAll(m_unloading, &screen);
        removeAll(m_shownOrder, &screen);
        screen.destroyWindow();
        trace(QStringLiteral("unload ") + screen.name());
        finishModal(screen);
        refocus();
    });
}

// When a window goes, the keyboard goes back to the screen now in front. A
// window manager would see to it; without one, the keys would go nowhere.
void ScreenHost::refocus()
{
    if (m_services.dialogs.isOpen())
        return;
    if (Screen *front = activeScreen(); front && front->isShown())
        front->window()->activateWindow();
}

void ScreenHost::finishModal(Screen &screen)
{
    const auto found = std::find_if(m_modal.begin(), m_modal.end(),
                                    [&](const Modal &m) { return m.screen == &screen; });
    if (found == m_modal.end())
        return;
    std::function<void()> then = std::move(found->then);
    m_modal.erase(found);
    if (screen.isLoaded())
        screen.window()->setWindowModality(Qt::NonModal);
    if (then)
        then();
}

Screen *ScreenHost::activeScreen() const
{
    for (auto it = m_modal.rbegin(); it != m_modal.rend(); ++it) {
        if (it->screen->isShown())
            return it->screen;
    }
    if (!m_modal.empty())
        return nullptr; // a modal screen still loading holds the input
    for (auto it = m_shownOrder.rbegin(); it != m_shownOrder.rend(); ++it) {
        if ((*it)->isShown())
            return *it;
    }
    return nullptr;
}

bool ScreenHost::anyLoaded() const
{
    return std::any_of(m_screens.begin(), m_screens.end(),
                       [](const auto &entry) { return entry.second->isLoaded(); });
}

int ScreenHost::keyCodeOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        break;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 112 + (qtKey - Qt::Key_F1);
    // Punctuation and characters from an input method: a code no screen looks
    // for, so "%" never passes for the Left key that shares its number.
    return 229;
}

bool ScreenHost::deliverKey(int qtKey, const QString &text, Qt::KeyboardModifiers modifiers)
{
    // An open box owns the keyboard, as on any desktop.
    Screen *screen = m_services.dialogs.isOpen() ? nullptr : activeScreen();
    if (!screen)
        return true;
    bool usedUp = false;
    dispatch([&] {
        int keyCode = keyCodeOf(qtKey);
        screen->Form_KeyDown(keyCode, shiftState(modifiers));
        if (keyCode == 0) {
            usedUp = true;
            return;
        }
        // The character of a key that closed its screen is lost with it.
        if (text.isEmpty() || !screen->isLoaded())
            return;
        int keyAscii = static_cast<int>(text.toUcs4().value(0));
        screen->Form_KeyPress(keyAscii);
        usedUp = keyAscii == 0;
    });
    return usedUp;
}

bool ScreenHost::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    // Keys meant for a message box or a file dialog are theirs.
    if (!screenOf(widget))
        return false;
    // A key the focused widget ignores travels up to its parents; the screen
    // has seen it already.
    const QWidget *focus = QApplication::focusWidget();
    if (focus && focus != widget && widget->isAncestorOf(focus))
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const bool input = qobject_cast<QLineEdit *>(widget) ||
                       qobject_cast<QAbstractButton *>(widget) ||
                       qobject_cast<QAbstractSlider *>(widget);
    const bool usedUp = deliverKey(key->key(), key->text(), key->modifiers());
    // A text box, button or scroll bar with the focus still gets the keys
    // the screen did not use up: typing, Space, Tab, the arrows.
    return usedUp || !input;
}

void ScreenHost::dispatch(const std::function<void()> &f)
{
    ++m_depth;
    f();
    --m_depth;
    if (m_depth == 0)
        checkEnded();
}

void ScreenHost::checkEnded()
{
    if (m_ended || anyLoaded())
        return;
    m_ended = true;
    emit ended();
}

void ScreenHost::trace(const QString &line) const
{
    qCDebug(lcHost) << line;
    if (m_trace)
        m_trace(line);
}

} // namespace ks
