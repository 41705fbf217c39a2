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
//   - a sprite sheet prints, for each cell, the box where it differs from the
//     first cell of its row. The sheets with rows or tall cells are listed in
//     kSheets; any other picture whose width is a whole multiple (2 or more) of
//     its height is taken as one row of square cells;
//   - the target boards (Mato0) and their rising outlines (Mato1) must stand on
//     the same stand, or the board jumps as it rises: the tool prints the box
//     of the stand in both, which must match.
// When a screen's pieces are all there it also composes a mock of it, as laid
// out by the game, to see that the pieces belong together: menu_mock.png (the
// main menu), course_mock.png and play_mock.png (the speed tester).
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
#include <QPen>
#include <QRect>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>
#include <initializer_list>
#include <map>
#include <utility>

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

// Sheets whose cells are not one row of squares: name, cell size.
struct Sheet
{
    const char *name;
    QSize cell;
};

constexpr Sheet kSheets[] = {
    {"Mato0", {40, 80}},                   // the letter targets, A-M over N-Z
    {"Mato1", {40, 80}},                   // a target rising: quarter, half, bare stand
    {"PCforest", {150, 150}},              // the sergeant: calm row over red row, glint frames
    {"PCmika", {125, 125}},                // the teacher: smiling row, stern row
    {"practice_target", {201, 297}},       // practice target: down, rising, up, hit, miss,
    {"practice_target_fruit", {201, 297}}, //   destroyed, waiting, empty
    {"level_bar", {300, 25}},              // one strip, not a row of cells
    {"PCforest_battle", {123, 150}},       // the sergeant in the story: calm row, stern row
    {"PCkame", {118, 104}},                // four-legged walker: whole, exploding, hit
    {"PCfly", {225, 138}},                 // fighter plane: whole, hit, exploding
    {"Matodata1", {182, 160}},             // two-legged walker losing its parts
    {"Matodata2", {320, 224}},             // the battleship: head-on, from behind
};

// Where the cells of a picture are, or nothing if it is not a sheet.
QSize cellSize(const QString &name, QSize size)
{
    for (const Sheet &sheet : kSheets) {
        if (name == QLatin1String(sheet.name))
            return sheet.cell;
    }
    const int side = size.height();
    if (side > 0 && size.width() % side == 0 && size.width() / side >= 2)
        return {side, side};
    return {};
}

// Box of the non-transparent pixels inside `area`, relative to the area.
QRect paintedBox(const QImage &image, QRect area)
{
    QRect box;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            if (qAlpha(image.pixel(area.x() + x, area.y() + y)) > 0)
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

// Cell `index` of a sheet, counted along the rows.
QImage cellOf(const QImage &sheet, QSize cell, int index)
{
    const int columns = sheet.width() / cell.width();
    return sheet.copy((index % columns) * cell.width(), (index / columns) * cell.height(),
                      cell.width(), cell.height());
}

// The speed tester's course selection: the sergeant at full length on the
// left, his balloon on the right, the two courses below it, the first chosen.
QImage composeCourse(const std::map<QString, QImage> &pictures)
{
    QImage screen(640, 480, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::black);
    QPainter painter(&screen);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawImage(0, 0, pictures.at(QStringLiteral("forest_figure")));

    painter.setPen(QPen(QColor(0xFF, 0xC0, 0x80), 2));
    painter.setBrush(QColor(0xFF, 0xFF, 0xC0));
    painter.drawRoundedRect(QRectF(281, 9, 351, 119), 14, 14);

    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(296, 20, 323, 97), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("よーっし、来たな。"));

    font.setBold(false);
    font.setPixelSize(20);
    painter.setFont(font);
    const QRect first(336, 208, 273, 25);
    const QRect second(336, 248, 273, 25);
    painter.fillRect(first, QColor(0xFF, 0x00, 0x00));
    painter.fillRect(second, Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("コース１（３０秒）"));
    painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("コース２（１分）"));
    painter.end();
    return screen;
}

// The speed tester at play: the sergeant's face at the top left, a row of
// ten standing targets, and below it a row of bare stands (targets shot down).
QImage composePlay(const std::map<QString, QImage> &pictures)
{
    QImage screen(640, 480, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::black);
    QPainter painter(&screen);
    const QImage &face = pictures.at(QStringLiteral("PCforest"));
    const QImage &targets = pictures.at(QStringLiteral("Mato0"));
    const QImage &rising = pictures.at(QStringLiteral("Mato1"));
    painter.drawImage(16, 8, cellOf(face, {150, 150}, 0));
    const QString word = QStringLiteral("KEYSTORMQW");
    for (int i = 0; i < 10; ++i) {
        const int x = 48 + 56 * i;
        painter.drawImage(x, 168, cellOf(targets, {40, 80}, word.at(i).unicode() - 'A'));
        painter.drawImage(x, 336, cellOf(rising, {40, 80}, 2));
    }
    painter.end();
    return screen;
}

// A story-mode battle panel: background N with its enemies in the middle
// band, the sergeant's face and the mission texts on black labels at the top,
// and the typing frame at the bottom, to judge that the background stays
// behind both the enemies and the texts.
QImage composeBattle(const std::map<QString, QImage> &pictures, int panel)
{
    QImage screen(640, 480, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::black);
    QPainter painter(&screen);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawImage(0, 0, pictures.at(QStringLiteral("battle_bg%1").arg(panel)));
    const auto enemy = [&](const char *sheet, QSize cell, int index, int x, int y) {
        painter.drawImage(x, y, cellOf(pictures.at(QLatin1String(sheet)), cell, index));
    };
    switch (panel) {
    case 1:
        enemy("PCkame", {118, 104}, 0, 196, 168);
        enemy("PCkame", {118, 104}, 2, 330, 226);
        enemy("PCkame", {118, 104}, 1, 470, 180);
        enemy("PCkame", {118, 104}, 0, 40, 222);
        break;
    case 2:
        enemy("PCfly", {225, 138}, 0, 380, 152);
        enemy("PCfly", {225, 138}, 1, 60, 200);
        break;
    case 3:
        enemy("Matodata1", {182, 160}, 0, 110, 152);
        enemy("Matodata1", {182, 160}, 6, 350, 152);
        break;
    default:
        enemy("Matodata2", {320, 224}, 0, 168, 136);
        break;
    }

    painter.drawImage(48, 8, cellOf(pictures.at(QStringLiteral("PCforest_battle")), {123, 150}, 0));
    const QColor green(0x30, 0xF0, 0x50);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(18);
    painter.setFont(font);
    painter.fillRect(QRect(184, 16, 417, 26), Qt::black);
    painter.fillRect(QRect(184, 47, 417, 26), Qt::black);
    painter.setPen(green);
    painter.drawText(QRect(190, 16, 405, 26), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("ミッション%1").arg(panel));
    painter.drawText(QRect(190, 47, 405, 26), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("敵を全て撃破せよ"));
    painter.setPen(QPen(QColor(0xFF, 0xC0, 0x80), 2));
    painter.setBrush(QColor(0xFF, 0xFF, 0xC0));
    painter.drawRoundedRect(QRectF(184, 80, 425, 33), 10, 10);
    painter.setPen(Qt::black);
    painter.drawText(QRect(196, 80, 405, 33), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("よし、撃て！"));

    painter.setPen(QPen(green, 3));
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(24, 352, 592, 112), 12, 12);
    font.setPixelSize(32);
    painter.setFont(font);
    painter.setPen(green);
    painter.drawText(QRect(24, 352, 592, 112), Qt::AlignCenter, QStringLiteral("げきは"));
    painter.end();
    return screen;
}

bool has(const std::map<QString, QImage> &pictures, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (!pictures.count(QLatin1String(name)))
            return false;
    }
    return true;
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
                  target.filePath(name + QStringLiteral("_3x.png"))) &&
             ok;
        if (name == QStringLiteral("icon")) {
            for (int side : {16, 32, 48})
                ok = save(render(renderer, QSize(side, side), Qt::black),
                          target.filePath(QStringLiteral("icon_%1.png").arg(side))) &&
                     ok;
        }

        const QSize cell = cellSize(name, size);
        if (!cell.isEmpty()) {
            if (size.width() % cell.width() != 0 || size.height() % cell.height() != 0) {
                out() << "  not a whole number of " << cell.width() << " x " << cell.height()
                      << " cells" << Qt::endl;
                ok = false;
                continue;
            }
            const int columns = size.width() / cell.width();
            const int rows = size.height() / cell.height();
            for (int row = 0; row < rows; ++row) {
                const QRect first(QPoint(0, row * cell.height()), cell);
                for (int column = 1; column < columns; ++column) {
                    const QRect other(QPoint(column * cell.width(), row * cell.height()), cell);
                    out() << "  cell " << row * columns + column << " vs cell " << row * columns
                          << ": " << describe(differingBox(exact, first, exact, other)) << Qt::endl;
                }
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

    // The stand is everything below the board (from y 57 of a cell down).
    if (has(pictures, {"Mato0", "Mato1"})) {
        const QRect stand(0, 57, 40, 23);
        for (auto [sheet, index] :
             {std::pair{"Mato0", 0}, {"Mato1", 0}, {"Mato1", 1}, {"Mato1", 2}}) {
            const QImage &image = pictures.at(QLatin1String(sheet));
            const int columns = image.width() / 40;
            const QRect area = stand.translated((index % columns) * 40, (index / columns) * 80);
            const QRect box = paintedBox(image, area).translated(0, stand.y());
            out() << sheet << " cell " << index << " stand: x " << box.left() << ".." << box.right()
                  << ", y " << box.top() << ".." << box.bottom() << Qt::endl;
        }
    }

    if (has(pictures, {"title", "guide", "arrow_left", "arrow_right"})) {
        out() << "main menu mock:" << Qt::endl;
        ok = save(composeMenu(pictures), target.filePath(QStringLiteral("menu_mock.png"))) && ok;
    }
    if (has(pictures, {"forest_figure"})) {
        out() << "speed tester course mock:" << Qt::endl;
        ok =
            save(composeCourse(pictures), target.filePath(QStringLiteral("course_mock.png"))) && ok;
    }
    if (has(pictures, {"PCforest", "Mato0", "Mato1"})) {
        out() << "speed tester play mock:" << Qt::endl;
        ok = save(composePlay(pictures), target.filePath(QStringLiteral("play_mock.png"))) && ok;
    }
    if (has(pictures, {"battle_bg1", "battle_bg2", "battle_bg3", "battle_bg4", "PCforest_battle",
                       "PCkame", "PCfly", "Matodata1", "Matodata2"})) {
        out() << "story battle mocks:" << Qt::endl;
        for (int panel = 1; panel <= 4; ++panel)
            ok = save(composeBattle(pictures, panel),
                      target.filePath(QStringLiteral("battle%1_mock.png").arg(panel))) &&
                 ok;
    }
    return ok ? 0 : 1;
}
