#include "assetstore.h"

#include "core/textfile.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

namespace ks {

namespace {

// A target sheet is a few megabytes at most.
constexpr std::size_t kMaxPictureFileBytes = 32u << 20;

} // namespace

SpriteSheet::SpriteSheet(Picture sheet, int rows, int columns)
    : m_sheet(std::move(sheet)), m_rows(std::max(rows, 1)), m_columns(std::max(columns, 1))
{}

Picture SpriteSheet::cell(int index) const
{
    const QString name = m_sheet.name + QLatin1Char('#') + QString::number(index);
    if (m_sheet.isNull() || index < 0 || index >= cellCount())
        return {QPixmap(), name};
    // Cut in device pixels: a sheet drawn at twice its size gives cells of
    // twice theirs, each shown at its own size.
    const int width = m_sheet.pixmap.width() / m_columns;
    const int height = m_sheet.pixmap.height() / m_rows;
    const QRect cellRect((index % m_columns) * width, (index / m_columns) * height, width, height);
    QPixmap cell = m_sheet.pixmap.copy(cellRect);
    cell.setDevicePixelRatio(m_sheet.pixmap.devicePixelRatio());
    return {cell, name};
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
        const qreal ratio = m_ratio > 0 ? m_ratio : (qApp ? qApp->devicePixelRatio() : qreal(1));
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

SpriteSheet AssetStore::sheet(const QString &name, int rows, int columns)
{
    return SpriteSheet(picture(name), rows, columns);
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
