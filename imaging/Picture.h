// A decoded picture: 32-bit BGRA pixels, top-down, with how its alpha bytes are to be read.
#pragma once

#include "PixelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Limits that keep damaged or hostile files from causing huge allocations: a picture of the most
// pixels takes 64 MB, which a 32-bit process can still find in one piece.
constexpr uint64_t kMaxPicturePixels = 16ull * 1024 * 1024;
constexpr uint64_t kMaxPictureFileBytes = 64ull * 1024 * 1024;

enum class PictureFormat { Bmp, Jpeg, Ico, Gif, Png };

enum class PictureAlpha {
    Opaque,           // every alpha byte is 255
    AlphaChannel,     // alpha bytes are the picture's own alpha values
    TransparentPixels // alpha bytes are 0 for transparent pixels (colour key, mask) and 255 otherwise
};

// Moved, never copied.
struct Picture {
    int width = 0;
    int height = 0;
    PixelBuffer pixels; // 0xAARRGGBB, i.e. bytes B, G, R, A in memory; rows top-down
    PictureAlpha alpha = PictureAlpha::Opaque;
    PictureFormat format = PictureFormat::Bmp;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The size a picture is to be drawn at, 0 or less for its own width or height. Decoders that
// can decode at a fraction of the size (JPEG: a half, a quarter, an eighth) do so when both
// sizes are given and the fraction still covers them, rather than decode every pixel only for
// the drawing to average them away.
struct DrawingSize {
    int width = 0;
    int height = 0;
};

constexpr uint32_t MakePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
constexpr uint8_t PixelAlpha(uint32_t pixel) {
    return uint8_t(pixel >> 24);
}

// Whether a picture of width x height is within the limits (both sizes above zero).
bool PictureSizeAllowed(int64_t width, int64_t height);

// Pictures this small are decoded whatever their data holds: they cost little even when it is
// too short.
constexpr uint64_t kAffordablePixels = 1024ull * 1024;

// Whether dataBytes of encoded data, each describing at most pixelsPerByte pixels, can fill
// width x height pixels (both above zero). Larger sizes that the data cannot fill are refused
// before anything is allocated, so a file of a few bytes declaring millions of pixels costs
// nothing. The pixel limit is AllocatePicture's business.
bool DataCanFill(int64_t width, int64_t height, uint64_t dataBytes, uint64_t pixelsPerByte);

// Sizes the picture's pixel buffer for width x height, filled with fill. Fails (false, picture
// unchanged) for zero or negative sizes, more than kMaxPicturePixels, or when memory runs out.
bool AllocatePicture(Picture& picture, int64_t width, int64_t height, uint32_t fill = 0);

// Resizes a buffer without throwing; false when memory runs out.
template <typename T> bool TryResize(std::vector<T>& buffer, size_t count) noexcept {
    try {
        buffer.resize(count);
        return true;
    } catch (...) {
        return false;
    }
}

// Byte-order readers; the caller has checked that the bytes are there.
inline uint16_t ReadLe16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
