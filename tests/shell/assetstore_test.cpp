// The sprite sheets the game cuts into cells: every cell is drawn by moving
// the whole sheet's drawing, so whatever reaches past a cell's edge shows in
// its neighbour (a line above the teacher's stern face, at the top of her
// cells 4-7, was one).
#include "shell/assetstore.h"

#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace ks {
namespace {

// A sheet as the game cuts it.
struct SheetCase
{
    const char *name;
    int rows;
    int columns;
    std::set<int> emptyCells; // left blank by design
};

void PrintTo(const SheetCase &sheet, std::ostream *out)
{
    *out << sheet.name;
}

// Every sheet the game cuts, as the screens cut it (their `assets.sheet(`
// calls; the practice screen cuts a folder's target bitmap 2 × 4). The
// targets reach the game as bitmaps drawn at 1×, but their sources follow
// the same rule, so they are held to it at every ratio too.
const SheetCase kSheets[] = {
    {"PCmoko", 1, 4, {}},                 // logo screen and credits: モコ singing
    {"Mato0", 2, 13, {}},                 // speed tester: the letter targets
    {"Mato1", 1, 3, {}},                  //   a target rising
    {"PCforest", 2, 4, {}},               //   the sergeant's faces
    {"PCmika", 2, 4, {}},                 // practice: the teacher's faces
    {"practice_target", 2, 4, {7}},       //   the standard target
    {"practice_target_fruit", 2, 4, {7}}, //   the food quiz's melon
    {"PCforest_battle", 2, 4, {}},        // story: the sergeant
    {"PCkame", 1, 3, {}},                 //   four-legged walkers
    {"PCfly", 1, 3, {}},                  //   fighters
    {"Matodata1", 1, 13, {4}},            //   two-legged walkers
    {"Matodata2", 1, 6, {2}},             //   the battleship
};

// Desktops at 100 %, at 125 % (where cell edges fall inside device pixels)
// and at 200 %.
constexpr qreal kRatios[] = {1.0, 1.25, 2.0};

QRect paintedBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

std::string describe(const QRect &box)
{
    return "x " + std::to_string(box.left()) + ".." + std::to_string(box.right()) + ", y " +
           std::to_string(box.top()) + ".." + std::to_string(box.bottom());
}

// A sheet's source with each drawn element given to the cell that holds most
// of its paint. An element that paints in one cell only belongs to it whole;
// a group that paints in several is split into its children, so only a single
// shape or <use> is ever shared out, and the part of it outside its own cell
// is then the neighbour's to show.
class SheetDrawing
{
public:
    SheetDrawing(const QString &source, int rows, int columns) : m_rows(rows), m_columns(columns)
    {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly) || !m_document.setContent(file.readAll()))
            return;
        QSvgRenderer whole(m_document.toByteArray());
        if (!whole.isValid())
            return;
        m_size = whole.defaultSize();
        std::vector<Path> queue;
        for (int i = 0; i < drawnChildren(m_document.documentElement()).size(); ++i)
            queue.push_back({i});
        while (!queue.empty()) {
            const Path path = queue.back();
            queue.pop_back();
            const std::map<int, qint64> paint = paintByCell(path);
            if (paint.empty())
                continue;
            const QDomElement element = elementAt(path);
            const QList<QDomElement> children = drawnChildren(element);
            if (paint.size() > 1 && isGroup(element) && !children.isEmpty()) {
                for (int i = 0; i < children.size(); ++i) {
                    Path child = path;
                    child.push_back(i);
                    queue.push_back(child);
                }
                continue;
            }
            const auto most = std::max_element(paint.begin(), paint.end(),
                                               [](auto a, auto b) { return a.second < b.second; });
            m_owners.emplace_back(path, most->first);
        }
    }

    bool isValid() const { return !m_size.isEmpty() && !m_owners.empty(); }
    int cellCount() const { return m_rows * m_columns; }

    // The source with only the drawing of the cells `keep` accepts.
    QByteArray drawingOf(const std::function<bool(int)> &keep) const
    {
        std::vector<Path> kept;
        for (const auto &[path, cell] : m_owners) {
            if (keep(cell))
                kept.push_back(path);
        }
        return subset(kept);
    }

    // Cell `index` of such a drawing, drawn as the game draws its cells.
    QImage cell(const QByteArray &drawing, int index, qreal ratio) const
    {
        QSvgRenderer renderer(drawing);
        return drawSheetCell(renderer, m_rows, m_columns, index, ratio);
    }

    // What of the other cells' drawing shows in cell `index`, in its device
    // pixels, and whose it is.
    QRect strayIn(int index, qreal ratio, std::string *whose = nullptr) const
    {
        const QRect box = paintedBox(
            cell(drawingOf([index](int owner) { return owner != index; }), index, ratio));
        if (whose && !box.isEmpty()) {
            for (int other = 0; other < cellCount(); ++other) {
                if (other != index &&
                    !paintedBox(cell(drawingOf([other](int owner) { return owner == other; }),
                                     index, ratio))
                         .isEmpty())
                    *whose += (whose->empty() ? "cell " : ", cell ") + std::to_string(other);
            }
        }
        return box;
    }

private:
    using Path = std::vector<int>; // indices among drawn children, from the root

    static bool isGroup(const QDomElement &element)
    {
        static const QStringList groups{QStringLiteral("g"), QStringLiteral("a"),
                                        QStringLiteral("switch"), QStringLiteral("svg")};
        return groups.contains(element.tagName());
    }

    // Definitions and gradients draw nothing where they stand; they stay in
    // every part of the drawing for the elements that refer to them.
    static QList<QDomElement> drawnChildren(const QDomElement &element)
    {
        static const QStringList silent{
            QStringLiteral("defs"),           QStringLiteral("linearGradient"),
            QStringLiteral("radialGradient"), QStringLiteral("title"),
            QStringLiteral("desc"),           QStringLiteral("metadata")};
        QList<QDomElement> children;
        for (QDomElement child = element.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            if (!silent.contains(child.tagName()))
                children << child;
        }
        return children;
    }

    QDomElement elementAt(const Path &path) const
    {
        QDomElement element = m_document.documentElement();
        for (int i : path)
            element = drawnChildren(element)[i];
        return element;
    }

    static bool leadsTo(const Path &from, const Path &to)
    {
        return from.size() < to.size() && std::equal(from.begin(), from.end(), to.begin());
    }

    static void prune(QDomElement element, const Path &at, const std::vector<Path> &kept)
    {
        const QList<QDomElement> children = drawnChildren(element);
        for (int i = 0; i < children.size(); ++i) {
            Path path = at;
            path.push_back(i);
            const bool whole = std::find(kept.begin(), kept.end(), path) != kept.end();
            const bool part = std::any_of(kept.begin(), kept.end(),
                                          [&](const Path &k) { return leadsTo(path, k); });
            if (whole)
                continue;
            if (part)
                prune(children[i], path, kept);
            else
                element.removeChild(children[i]);
        }
    }

    QByteArray subset(const std::vector<Path> &kept) const
    {
        QDomDocument copy = m_document.cloneNode(true).toDocument();
        prune(copy.documentElement(), {}, kept);
        return copy.toByteArray();
    }

    // The paint of one element alone, summed per cell of the sheet.
    std::map<int, qint64> paintByCell(const Path &path) const
    {
        QSvgRenderer renderer(subset({path}));
        QImage image(m_size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(), m_size));
        painter.end();
        const int width = m_size.width() / m_columns;
        const int height = m_size.height() / m_rows;
        std::map<int, qint64> paint;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (const int alpha = qAlpha(image.pixel(x, y)))
                    paint[(y / height) * m_columns + x / width] += alpha;
            }
        }
        return paint;
    }

    int m_rows;
    int m_columns;
    QDomDocument m_document;
    QSize m_size;
    std::vector<std::pair<Path, int>> m_owners; // element, the cell it belongs to
};

QString pictureSource(const QString &name)
{
    return QStringLiteral(":/pictures/%1.svg").arg(name);
}

class SpriteSheetCells : public ::testing::TestWithParam<std::tuple<SheetCase, qreal>>
{
};

// Nothing leaves its cell: each cell as the game cuts it shows its own
// drawing and nothing of any other cell's; an empty cell stays empty.
TEST_P(SpriteSheetCells, ShowNothingOfAnotherCellsDrawing)
{
    const auto &[sheet, ratio] = GetParam();
    const QString name = QLatin1String(sheet.name);
    const SheetDrawing drawing(pictureSource(name), sheet.rows, sheet.columns);
    ASSERT_TRUE(drawing.isValid());
    const SpriteSheet cut = AssetStore(ratio).sheet(name, sheet.rows, sheet.columns);
    ASSERT_EQ(cut.cellCount(), drawing.cellCount());
    for (int index = 0; index < cut.cellCount(); ++index) {
        std::string whose;
        const QRect stray = drawing.strayIn(index, ratio, &whose);
        EXPECT_TRUE(stray.isEmpty()) << "cell " << index << " shows the drawing of " << whose
                                     << " in its device pixels " << describe(stray);

        const QImage own = drawing.cell(
            drawing.drawingOf([index](int owner) { return owner == index; }), index, ratio);
        const QImage shown = cut.cell(index).pixmap.toImage().convertToFormat(own.format());
        if (sheet.emptyCells.count(index)) {
            EXPECT_TRUE(paintedBox(shown).isEmpty()) << "cell " << index << " is drawn on";
        } else {
            EXPECT_FALSE(paintedBox(own).isEmpty()) << "cell " << index << " draws nothing";
        }
        // With nothing of the others in it, what the player sees is the
        // cell's own drawing alone, or the split lost part of the sheet.
        if (stray.isEmpty()) {
            EXPECT_TRUE(shown == own) << "cell " << index;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EverySheet, SpriteSheetCells,
    ::testing::Combine(::testing::ValuesIn(kSheets), ::testing::ValuesIn(kRatios)),
    [](const ::testing::TestParamInfo<SpriteSheetCells::ParamType> &test) {
        const qreal ratio = std::get<1>(test.param);
        return std::string(std::get<0>(test.param).name) + "_at_" +
               QString::number(ratio).replace(QLatin1Char('.'), QLatin1Char('_')).toStdString() +
               "x";
    });

// The check sees what it guards against: a box outlined down to the edge it
// shares with the cell below puts half its outline at the top of that cell.
TEST(SpriteSheetCells, AnOutlineReachingIntoTheCellBelowIsFound)
{
    const SheetDrawing drawing(pictureSource(QStringLiteral("test_bleeding")), 2, 1);
    ASSERT_TRUE(drawing.isValid());
    for (const qreal ratio : kRatios) {
        std::string whose;
        const QRect stray = drawing.strayIn(1, ratio, &whose);
        EXPECT_FALSE(stray.isEmpty()) << ratio;
        EXPECT_EQ(stray.top(), 0) << ratio;
        EXPECT_EQ(whose, "cell 0") << ratio;
        EXPECT_TRUE(drawing.strayIn(0, ratio).isEmpty()) << ratio;
    }
}

} // namespace
} // namespace ks
