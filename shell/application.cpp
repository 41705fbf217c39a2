#include "application.h"

#include "units.h"

#include <QApplication>

#include <fontconfig/fontconfig.h>

namespace ks {

std::jthread warmUpFonts()
{
    return std::jthread([] { FcInit(); });
}

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("keystorm"));
    QApplication::setQuitOnLastWindowClosed(false);
    installScreenFont();
}

} // namespace ks
