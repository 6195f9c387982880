// Allocation of picture buffers within the decoding limits.
#include "Picture.h"

#include <utility>

bool PictureSizeAllowed(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
        return false;
    }
    // Both factors are below 2^31, so the product cannot overflow 64 bits.
    return uint64_t(width) * uint64_t(height) <= kMaxPicturePixels;
}

bool DataCanFill(int64_t width, int64_t height, uint64_t dataBytes, uint64_t pixelsPerByte) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
        return false;
    }
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    // dataBytes is a file size, far below 2^32, and pixelsPerByte below 2^16.
    return pixels <= kAffordablePixels || pixels <= dataBytes * pixelsPerByte;
}

bool AllocatePicture(Picture& picture, int64_t width, int64_t height, uint32_t fill) {
    if (!PictureSizeAllowed(width, height)) {
        return false;
    }
    PixelBuffer pixels;
    if (!pixels.Allocate(static_cast<int>(width), static_cast<int>(height), fill)) {
        return false;
    }
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels = std::move(pixels);
    return true;
}
