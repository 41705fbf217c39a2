#include "keyboardsettings.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace ks {

namespace {

// _XKB_RULES_NAMES on the root window: rules, model, layouts, variants and
// options, each ended by a NUL.
QString xkbLayoutsFromX()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return {};
    const char name[] = "_XKB_RULES_NAMES";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name),
                              nullptr),
        &std::free);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!atom || atom->atom == XCB_ATOM_NONE || !screen)
        return {};
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_STRING, 0, 1024),
            nullptr),
        &std::free);
    if (!property)
        return {};
    const auto *bytes = static_cast<const char *>(xcb_get_property_value(property.get()));
    const QList<QByteArray> fields =
        QByteArray(bytes, xcb_get_property_value_length(property.get())).split('\0');
    return fields.size() > 2 ? QString::fromLatin1(fields[2]) : QString();
}

QString xkbLayoutsFromDebianConfig()
{
    QFile file(QStringLiteral("/etc/default/keyboard"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression line(QStringLiteral("^XKBLAYOUT=\"?([^\"\\n]*)"),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(file.read(65536)));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace

std::string SystemKeyboardSettings::xkbLayouts() const
{
    const QString fromX = xkbLayoutsFromX();
    return (fromX.isEmpty() ? xkbLayoutsFromDebianConfig() : fromX).toStdString();
}

std::string SystemKeyboardSettings::locale() const
{
    return QLocale::system().name().toStdString();
}

} // namespace ks
