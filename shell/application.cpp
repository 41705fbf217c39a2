#include "application.h"

#include "units.h"

#include <QApplication>

namespace ks {

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("keystorm"));
    QApplication::setQuitOnLastWindowClosed(false);
    installScreenFont();
}

} // namespace ks
