#include "playpage.h"

#include "shell/assetstore.h"
#include "shell/units.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <string>

namespace ksd {

namespace {

void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder, the offscreen platform) are
    // no business of a teacher reading check's report.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static int argc = 1;
    static char name[] = "ksdtool";
    static char *argv[] = {name, nullptr};
    // Left alive to the end of the process: Qt's own statics go first.
    static QGuiApplication *const application = new QGuiApplication(argc, argv);
    Q_UNUSED(application);
    ks::installScreenFont();
}

int width(std::string_view text, double points, bool bold)
{
    ensureGuiApplication();
    const QFontMetrics metrics(ks::screenFont(points, bold));
    return metrics.horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace

int displayLineWidth(std::string_view text)
{
    return width(text, kDisplayLinePoints, false);
}

int romajiLineWidth(std::string_view romaji, double points)
{
    return width(romaji, points, true);
}

bool pictureLoads(const std::string &path)
{
    ensureGuiApplication();
    return !ks::AssetStore().loadPicture(QString::fromStdString(path)).isNull();
}

} // namespace ksd
