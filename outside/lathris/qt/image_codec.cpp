#include <QImage>

#include "lathris/qt/widgets.h"

namespace lathris::qt {

bool QtImageCodec::Read(const std::string& file, ImageStrip& strip, std::string& error)
{
    QImage image;
    if (!image.load(QString::fromStdString(file), "BMP")) {
        error = file + ": not a readable BMP picture";
        return false;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    strip.width = image.width();
    strip.height = image.height();
    strip.pixels.resize(static_cast<size_t>(strip.width) * strip.height);
    for (int y = 0; y < strip.height; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        std::copy_n(row, strip.width, strip.pixels.begin() + static_cast<size_t>(y) * strip.width);
    }
    return true;
}

bool QtImageCodec::Write(const std::string& file, const ImageStrip& strip, std::string& error)
{
    if (strip.width <= 0 || strip.height <= 0 ||
        strip.pixels.size() != static_cast<size_t>(strip.width) * strip.height) {
        error = file + ": no picture to write";
        return false;
    }
    QImage image(strip.width, strip.height, QImage::Format_ARGB32);
    for (int y = 0; y < strip.height; ++y)
        std::copy_n(strip.pixels.begin() + static_cast<size_t>(y) * strip.width, strip.width,
                    reinterpret_cast<uint32_t*>(image.scanLine(y)));
    if (!image.save(QString::fromStdString(file), "BMP")) {
        error = file + ": cannot write the BMP picture";
        return false;
    }
    return true;
}

namespace {

// The BMP codec serves the image lists as soon as the Qt side is loaded.
struct InstallCodec {
    InstallCodec()
    {
        static QtImageCodec codec;
        SetImageFileCodec(&codec);
    }
} installCodec;

}  // namespace
}  // namespace lathris::qt
