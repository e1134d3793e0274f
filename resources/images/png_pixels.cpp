// Build tool: writes a PNG image as the pixels the application draws, so that it decodes
// nothing at start. The output is the width and the height (32-bit, this machine's byte order)
// and then the rows, each pixel a 32-bit premultiplied ARGB value in this machine's byte order:
// what platform/qt/embedded_image.cpp reads back, built on the same machine.
//
//   png_pixels IMAGE.png OUTPUT.pixels
#include <QFile>
#include <QImage>
#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: png_pixels IMAGE.png OUTPUT.pixels\n");
        return 2;
    }
    const QImage image = QImage(QString::fromLocal8Bit(argv[1]))
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        std::fprintf(stderr, "png_pixels: cannot read %s\n", argv[1]);
        return 1;
    }
    QFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "png_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    const std::uint32_t size[] = {static_cast<std::uint32_t>(image.width()),
                                  static_cast<std::uint32_t>(image.height())};
    // Rows of 32-bit pixels have no padding: the image's bytes are the rows one after another.
    const bool written =
        output.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size &&
        output.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) ==
            image.sizeInBytes();
    if (!written || !output.flush()) {
        std::fprintf(stderr, "png_pixels: cannot write %s\n", argv[2]);
        output.remove();
        return 1;
    }
    return 0;
}
