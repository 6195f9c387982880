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

// Most bytes deflate can unpack from one: a run of zeros shrinks at best about 1032 to 1.
constexpr uint64_t kDeflateRatio = 1032;

// The bytes of compressed pixel data (IDAT chunks), when every chunk up to IEND is complete.
// libpng's simplified reader stops once it has the pixels; a file cut off after them is refused
// all the same, like truncated files of the other formats.
std::optional<uint64_t> CompressedPixelBytes(const uint8_t* data, size_t size) {
    uint64_t compressed = 0;
    size_t at = 8;
    while (size - at >= 12) {
        const uint32_t length = ReadBe32(data + at);
        if (length > size - at - 12) {
            return std::nullopt;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) {
            return compressed;
        }
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
            compressed += length;
        }
        at += 12 + size_t(length);
    }
    return std::nullopt;
}

// Whether the compressed data can unpack to the samples the header declares (IHDR follows the
// signature at a fixed place: width, height, bit depth, colour type).
bool CompressedDataCanFill(const uint8_t* data, uint64_t compressed) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint8_t colourType = data[25];
    const int bitsPerPixel = colourType < 7 ? kChannels[colourType] * data[24] : 0;
    if (bitsPerPixel <= 0) {
        return false;
    }
    return DataCanFill(ReadBe32(data + 16), ReadBe32(data + 20), compressed,
                       kDeflateRatio * 8 / bitsPerPixel);
}

} // namespace

bool HasPngSignature(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data && size >= sizeof(kSignature) && std::memcmp(data, kSignature, sizeof(kSignature)) == 0;
}

std::optional<Picture> DecodePng(const uint8_t* data, size_t size) {
    if (!HasPngSignature(data, size)) {
        return std::nullopt;
    }
    const auto compressed = CompressedPixelBytes(data, size);
    if (!compressed || size < 33 || !CompressedDataCanFill(data, *compressed)) {
        return std::nullopt;
    }
    PngImage image;
    if (!png_image_begin_read_from_memory(image.Get(), data, size)) {
        return std::nullopt;
    }
    // Without gAMA or sRGB, 16-bit samples are sRGB like 8-bit ones (the reader would take them
    // as linear and brighten them).
    image.Get()->flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
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
