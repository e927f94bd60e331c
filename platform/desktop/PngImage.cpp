#include "PngImage.h"

#include <png.h>

namespace {

// Far above any picture of ours; a header claiming more is not worth the memory.
constexpr png_uint_32 MaxPixels = 1u << 26;

} // namespace

bool DecodePng(const QByteArray& data, PngPixels& out)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (data.isEmpty() || !png_image_begin_read_from_memory(&image, data.constData(),
                                                            static_cast<png_size_t>(data.size()))) {
        png_image_free(&image);
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > MaxPixels / image.height) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    const auto stride = static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
    std::vector<std::uint8_t> pixels(PNG_IMAGE_BUFFER_SIZE(image, stride));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), stride, nullptr)) {
        png_image_free(&image);
        return false;
    }
    png_image_free(&image);
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba = std::move(pixels);
    return true;
}
