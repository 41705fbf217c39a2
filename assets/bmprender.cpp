// ks_bmprender: renders an SVG picture at its own pixel size over black and
// writes it as a 24-bit BMP.
//
//   ks_bmprender <picture.svg> <out.bmp>
//
// The practice mode loads its targets as bitmaps from folders beside the
// program (so a practice file can bring its own), and a bitmap has no
// transparency: the target is drawn over the black of the screen it is shown
// on. The build runs this tool to lay those bitmaps out from the SVG sources.
//
// The pictures carry lettering, and fonts need a QGuiApplication; the tool
// picks the offscreen platform unless told otherwise, so it runs on a build
// machine without a display.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: ks_bmprender <picture.svg> <out.bmp>\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);

    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "ks_bmprender: %s does not load\n", argv[1]);
        return 1;
    }
    const QSize size = renderer.defaultSize();
    if (size.isEmpty() || renderer.viewBoxF() != QRectF(QPointF(0, 0), QSizeF(size))) {
        std::fprintf(stderr, "ks_bmprender: %s: the viewBox must match the pixel size\n", argv[1]);
        return 1;
    }

    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();

    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        std::fprintf(stderr, "ks_bmprender: cannot create the folder of %s\n", argv[2]);
        return 1;
    }
    // RGB888 has no alpha channel, so the BMP is written as 24 bits a pixel.
    if (!image.convertToFormat(QImage::Format_RGB888).save(target, "BMP")) {
        std::fprintf(stderr, "ks_bmprender: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
