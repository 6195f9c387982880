// PNG decoding with libpng's simplified interface, which reports errors by return value, so no
// long jump ever crosses this code.
#include "PngDecoder.h"

#include <png.h>

#include <cstring>

namespace {

// Frees libpng's state on every way out; freeing twice is harmless.
class PngImage {
public:
    PngImage() {
        std::memset(&m_image, 0, sizeof(m_image));
        m_image.version = PNG_IMAGE_VERSION;
    }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    ~PngImage() { png_image_free(&m_image); }
    png_image* Get() { return &m_image; }

private:
    png_image m_image;
};

// libpng's simplified reader stops once it has the pixels; a file cut off after them is refused
// all the same, like truncated files of the other formats.
bool ChunksCompleteUpToEnd(const uint8_t* data, size_t size) {
    size_t at = 8;
    while (size - at >= 12) {
        const uint32_t length = ReadBe32(data + at);
        if (length > size - at - 12) {
            return false;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) {
            return true;
        }
        at += 12 + size_t(length);
    }
    return false;
}

} // namespace

bool HasPngSignature(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data && size >= sizeof(kSignature) && std::memcmp(data, kSignature, sizeof(kSignature)) == 0;
}

std::optional<Picture> DecodePng(const uint8_t* data, size_t size) {
    if (!HasPngSignature(data, size) || !ChunksCompleteUpToEnd(data, size)) {
        return std::nullopt;
    }
    PngImage image;
    if (!png_image_begin_read_from_memory(image.Get(), data, size)) {
        return std::nullopt;
    }
    // The header's format says whether the file has alpha or a tRNS chunk.
    const bool hasAlpha = (image.Get()->format & PNG_FORMAT_FLAG_ALPHA) != 0;
    Picture picture;
    if (!AllocatePicture(picture, image.Get()->width, image.Get()->height)) {
        return std::nullopt;
    }
    image.Get()->format = PNG_FORMAT_BGRA; // little-endian 0xAARRGGBB words
    if (!png_image_finish_read(image.Get(), nullptr, picture.pixels.data(),
                               static_cast<png_int_32>(picture.width) * 4, nullptr)) {
        return std::nullopt;
    }
    picture.alpha = hasAlpha ? PictureAlpha::AlphaChannel : PictureAlpha::Opaque;
    picture.format = PictureFormat::Png;
    return picture;
}
