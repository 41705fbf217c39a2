#include "assetstore.h"

#include "core/textfile.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace ks {

namespace {

// A target sheet is a few megabytes at most.
constexpr std::size_t kMaxPictureFileBytes = 32u << 20;

} // namespace

SpriteSheet::SpriteSheet(Picture sheet, int rows, int columns) : m_name(std::move(sheet.name))
{
    if (sheet.isNull())
        return;
    rows = std::max(rows, 1);
    columns = std::max(columns, 1);
    // Cut in device pixels: a sheet drawn at twice its size gives cells of
    // twice theirs, each shown at its own size.
    const int width = sheet.pixmap.width() / columns;
    const int height = sheet.pixmap.height() / rows;
    for (int index = 0; index < rows * columns; ++index) {
        QPixmap cell = sheet.pixmap.copy(
            QRect((index % columns) * width, (index / columns) * height, width, height));
        cell.setDevicePixelRatio(sheet.pixmap.devicePixelRatio());
        m_cells.append(cell);
    }
}

SpriteSheet::SpriteSheet(QString name, QList<QPixmap> cells)
    : m_name(std::move(name)), m_cells(std::move(cells))
{}

Picture SpriteSheet::cell(int index) const
{
    const QString name = m_name + QLatin1Char('#') + QString::number(index);
    if (index < 0 || index >= cellCount())
        return {QPixmap(), name};
    return {m_cells[index], name};
}

AssetStore::AssetStore(qreal devicePixelRatio) : m_ratio(devicePixelRatio) {}

Picture AssetStore::picture(const QString &name)
{
    if (const auto found = m_cache.constFind(name); found != m_cache.cend())
        return {*found, name};
    const QString source = QStringLiteral(":/pictures/%1.svg").arg(name);
    QPixmap pixmap;
    // Checked first so an unknown name stays quiet instead of warning on the console.
    if (!QFile::exists(source)) {
        m_cache.insert(name, pixmap);
        return {pixmap, name};
    }
    if (QSvgRenderer renderer(source); renderer.isValid()) {
        const qreal ratio = this->ratio();
        QImage image(renderer.defaultSize() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        image.setDevicePixelRatio(ratio);
        pixmap = QPixmap::fromImage(image);
    }
    m_cache.insert(name, pixmap);
    return {pixmap, name};
}

QIcon AssetStore::icon(const QString &name) const
{
    QIcon icon;
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (!renderer.isValid())
        return icon;
    for (int side : {16, 24, 32, 48, 64}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

qreal AssetStore::ratio() const
{
    return m_ratio > 0 ? m_ratio : (qApp ? qApp->devicePixelRatio() : qreal(1));
}

QImage drawSheetCell(QSvgRenderer &source, int rows, int columns, int index, qreal devicePixelRatio)
{
    const QSizeF cellSize(qreal(source.defaultSize().width()) / columns,
                          qreal(source.defaultSize().height()) / rows);
    const QSizeF exact = cellSize * devicePixelRatio;
    QImage image(exact.toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Where a cell's far edge falls inside a device pixel (123 px at 125 %),
    // that pixel is shared with the next cell: it stays clear rather than show
    // a sliver of the neighbour, in every cell alike, so an animation's edge
    // stands still. The epsilon keeps a whole size whole.
    painter.setClipRect(
        QRect(0, 0, int(std::floor(exact.width() + 1e-6)), int(std::floor(exact.height() + 1e-6))));
    painter.scale(devicePixelRatio, devicePixelRatio);
    const int row = index / columns;
    const int column = index % columns;
    painter.translate(-column * cellSize.width(), -row * cellSize.height());
    source.render(&painter, QRectF(QPointF(), source.defaultSize()));
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

// Each cell is drawn on its own, clipped to its own part of the source: at a
// scale where the cells' edges fall between device pixels (125 %), a cell cut
// from the whole drawing would show a sliver of its neighbour.
SpriteSheet AssetStore::sheet(const QString &name, int rows, int columns)
{
    rows = std::max(rows, 1);
    columns = std::max(columns, 1);
    const QString key = QStringLiteral("%1 %2×%3").arg(name).arg(rows).arg(columns);
    if (const auto found = m_sheets.constFind(key); found != m_sheets.cend())
        return SpriteSheet(name, *found);
    QList<QPixmap> cells;
    const QString source = QStringLiteral(":/pictures/%1.svg").arg(name);
    if (QFile::exists(source)) {
        if (QSvgRenderer renderer(source); renderer.isValid()) {
            for (int index = 0; index < rows * columns; ++index)
                cells.append(
                    QPixmap::fromImage(drawSheetCell(renderer, rows, columns, index, ratio())));
        }
    }
    m_sheets.insert(key, cells);
    return SpriteSheet(name, cells);
}

Picture AssetStore::loadPicture(const QString &path)
{
    // Not cached: the player may put a new picture in a practice folder at any
    // time. Read like every data file: regular files only, within a size, so
    // a FIFO or a device in a practice folder is just a missing picture.
    QPixmap pixmap;
    if (Result<std::string> bytes = readRegularFile(path.toStdString(), kMaxPictureFileBytes))
        pixmap.loadFromData(QByteArray::fromStdString(*bytes));
    return {pixmap, path};
}

} // namespace ks
