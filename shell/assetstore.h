#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

class QImage;
class QSvgRenderer;

namespace ks {

// A picture with the name it is known by, so traces and tests can tell which
// one a control shows: "title", "PCmoko#2", or a file path.
struct Picture
{
    QPixmap pixmap;
    QString name;

    bool isNull() const { return pixmap.isNull(); }
};

// A picture cut into rows × columns equal cells, counted row by row from 0.
class SpriteSheet
{
public:
    SpriteSheet() = default;
    // A picture file's sheet, cut in its own pixels.
    SpriteSheet(Picture sheet, int rows, int columns);
    // Cells drawn one by one, named name#index.
    SpriteSheet(QString name, QList<QPixmap> cells);

    Picture cell(int index) const;
    int cellCount() const { return static_cast<int>(m_cells.size()); }
    const QString &name() const { return m_name; }

private:
    QString m_name;
    QList<QPixmap> m_cells;
};

// Cell `index` of a sheet drawn from its source as AssetStore::sheet draws
// every cell: at the device pixel ratio, the whole drawing moved so that the
// cell lies at the origin. Open so that a test can draw any part of a sheet's
// drawing exactly as the game draws the whole.
QImage drawSheetCell(QSvgRenderer &source, int rows, int columns, int index,
                     qreal devicePixelRatio);

// The game's own pictures, drawn once from their sources and shared by name.
// A screen that shows another screen's picture takes it from here, so it never
// depends on that screen still being loaded. They are drawn at the screen's
// device pixel ratio, so on a HiDPI desktop they are as sharp as the text.
class AssetStore
{
public:
    // devicePixelRatio 0: the application's (the largest of its screens).
    explicit AssetStore(qreal devicePixelRatio = 0);

    // Built-in picture by name (its SVG source rendered at its own size); a
    // null picture if there is no such name.
    Picture picture(const QString &name);
    SpriteSheet sheet(const QString &name, int rows, int columns);

    // The program's icon from a built-in picture, at the sizes title bars,
    // taskbars and window switchers ask for: each window hands its icon to
    // the desktop when it is made, so it is kept small.
    QIcon icon(const QString &name) const;

    // A picture file beside the program (practice targets); null if unreadable.
    Picture loadPicture(const QString &path);

private:
    qreal ratio() const;

    qreal m_ratio;
    QHash<QString, QPixmap> m_cache;
    QHash<QString, QList<QPixmap>> m_sheets; // by "name rows×columns"
};

} // namespace ks
