// ks_assetpreview: renders every picture of a directory the way the game will,
// so the art can be judged as the player sees it, not as an editor shows it.
//
//   ks_assetpreview <svg-dir> <out-dir>
//   QT_QPA_PLATFORM=offscreen ks_assetpreview assets/pictures build-art/preview
//
// For each NAME.svg it writes NAME.png at the picture's own pixel size and
// NAME_3x.png at three times that size (to inspect outlines and joins), both
// over black, since every screen of the game is black. The program icon is
// also written at the small sizes a desktop shows it at (icon_16/32/48.png).
//
// It checks the two rules that animation depends on, because a stray pixel
// there shows up on screen as flicker:
//   - NAME_dark.svg is the blink partner of NAME.svg: the tool prints the box
//     where the two differ, which must hold only the lit part;
//   - a picture whose width is a whole multiple (2 or more) of its height is a
//     sprite sheet of square cells: the tool prints, for each cell, the box
//     where it differs from cell 0.
// When the menu's pieces are all there it also composes menu_mock.png, the
// main menu as laid out by the game, to see that the pieces belong together.
//
// Exits non-zero if a picture does not load or its size is not a whole pixel
// size, so a broken source is noticed at once.

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>
#include <map>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QImage render(QSvgRenderer &renderer, QSize size, const QColor &background)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

// Box of the pixels where a and b differ inside the given areas (same size),
// or an empty rect when they are identical.
QRect differingBox(const QImage &a, QRect areaA, const QImage &b, QRect areaB)
{
    QRect box;
    for (int y = 0; y < areaA.height(); ++y) {
        for (int x = 0; x < areaA.width(); ++x) {
            if (a.pixel(areaA.x() + x, areaA.y() + y) != b.pixel(areaB.x() + x, areaB.y() + y))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QString describe(const QRect &box)
{
    if (box.isEmpty())
        return QStringLiteral("identical");
    return QStringLiteral("differ within x %1..%2, y %3..%4")
        .arg(box.left())
        .arg(box.right())
        .arg(box.top())
        .arg(box.bottom());
}

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path)) {
        out() << "cannot write " << path << Qt::endl;
        return false;
    }
    out() << "  " << path << Qt::endl;
    return true;
}

// The main menu as the game lays it out: title at the top, the guide in the
// lower left, the item name between the two arrows.
QImage composeMenu(const std::map<QString, QImage> &pictures)
{
    QImage menu(640, 480, QImage::Format_ARGB32_Premultiplied);
    menu.fill(Qt::black);
    QPainter painter(&menu);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawImage(16, 0, pictures.at(QStringLiteral("title")));
    painter.drawImage(32, 312, pictures.at(QStringLiteral("guide")));
    painter.drawImage(112, 264, pictures.at(QStringLiteral("arrow_left")));
    painter.drawImage(504, 264, pictures.at(QStringLiteral("arrow_right")));

    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(48);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect between(162, 264 - 20, 504 - 162, 30 + 40);
    painter.drawText(between, Qt::AlignCenter, QStringLiteral("打速度テスター"));
    painter.end();
    return menu;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: ks_assetpreview <svg-dir> <out-dir>\n");
        return 2;
    }
    const QDir source(QString::fromLocal8Bit(argv[1]));
    const QDir target(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(target.absolutePath())) {
        std::fprintf(stderr, "cannot create %s\n", argv[2]);
        return 1;
    }

    bool ok = true;
    std::map<QString, QImage> pictures; // exact-size renders, by base name
    const QStringList files = source.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        out() << "no .svg in " << source.absolutePath() << Qt::endl;
        return 1;
    }
    for (const QString &file : files) {
        const QString name = QFileInfo(file).completeBaseName();
        QSvgRenderer renderer(source.filePath(file));
        if (!renderer.isValid()) {
            out() << file << ": does not load" << Qt::endl;
            ok = false;
            continue;
        }
        const QSize size = renderer.defaultSize();
        const QRectF view = renderer.viewBoxF();
        out() << file << ": " << size.width() << " x " << size.height() << Qt::endl;
        if (view.size() != QSizeF(size) || !view.topLeft().isNull()) {
            out() << "  viewBox does not match the pixel size" << Qt::endl;
            ok = false;
        }
        const QImage exact = render(renderer, size, Qt::black);
        pictures[name] = render(renderer, size, Qt::transparent);
        ok = save(exact, target.filePath(name + QStringLiteral(".png"))) && ok;
        ok = save(render(renderer, size * 3, Qt::black),
                  target.filePath(name + QStringLiteral("_3x.png")))
             && ok;
        if (name == QStringLiteral("icon")) {
            for (int side : {16, 32, 48})
                ok = save(render(renderer, QSize(side, side), Qt::black),
                          target.filePath(QStringLiteral("icon_%1.png").arg(side)))
                     && ok;
        }

        const int cell = size.height();
        if (cell > 0 && size.width() % cell == 0 && size.width() / cell >= 2) {
            for (int i = 1; i < size.width() / cell; ++i) {
                const QRect box = differingBox(exact, QRect(0, 0, cell, cell), exact,
                                               QRect(i * cell, 0, cell, cell));
                out() << "  cell " << i << " vs cell 0: " << describe(box) << Qt::endl;
            }
        }
    }

    for (const auto &[name, image] : pictures) {
        const auto dark = pictures.find(name + QStringLiteral("_dark"));
        if (dark == pictures.end())
            continue;
        if (dark->second.size() != image.size()) {
            out() << name << " and its dark partner differ in size" << Qt::endl;
            ok = false;
            continue;
        }
        const QRect all(QPoint(0, 0), image.size());
        out() << name << " vs " << dark->first << ": "
              << describe(differingBox(image, all, dark->second, all)) << Qt::endl;
    }

    const bool menuPieces = pictures.count(QStringLiteral("title"))
                            && pictures.count(QStringLiteral("guide"))
                            && pictures.count(QStringLiteral("arrow_left"))
                            && pictures.count(QStringLiteral("arrow_right"));
    if (menuPieces) {
        out() << "main menu mock:" << Qt::endl;
        ok = save(composeMenu(pictures), target.filePath(QStringLiteral("menu_mock.png"))) && ok;
    }
    return ok ? 0 : 1;
}
