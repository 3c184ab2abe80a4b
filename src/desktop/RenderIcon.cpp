// Renders the application icon's SVG into a PNG of one size, at build time, so that the window
// and the icon theme get pixel sizes without the SVG plug-in at run time.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ICON.svg SIZE OUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    QSvgRenderer svg{QString::fromLocal8Bit(argv[1])};
    if (!svg.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "%s: cannot render %s at %s px\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
