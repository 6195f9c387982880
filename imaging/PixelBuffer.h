// The pixel memory of pictures: a 32-bit top-down DIB section, which drawing can take over as it is.
#pragma once

#include <windows.h>

#include "GdiHandles.h"

#include <cstddef>
#include <cstdint>

// The header of a 32-bit top-down DIB of width x height, for making and drawing such bitmaps.
BITMAPINFO TopDownBitmapInfo(int width, int height);

// width x height 32-bit words, rows top-down, in a DIB section. A picture is decoded straight
// into one, so a picture drawn at its own size needs no second copy of its pixels: the drawing
// adopts the bitmap. Moved, never copied (a copy of a large picture is tens of megabytes).
class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    // Replaces the pixels with width x height of fill; false, and empty, for sizes of zero or
    // less and when the bitmap cannot be made. The caller keeps sizes within its limits.
    bool Allocate(int width, int height, uint32_t fill);

    uint32_t* data() { return m_bits; }
    const uint32_t* data() const { return m_bits; }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    uint32_t* begin() { return m_bits; }
    uint32_t* end() { return m_bits + m_count; }
    const uint32_t* begin() const { return m_bits; }
    const uint32_t* end() const { return m_bits + m_count; }
    uint32_t& operator[](size_t index) { return m_bits[index]; }
    const uint32_t& operator[](size_t index) const { return m_bits[index]; }

    // The DIB section holding the pixels (null when empty), still owned by the buffer.
    HBITMAP Bitmap() const { return m_bitmap.Get(); }

private:
    GdiObject<HBITMAP> m_bitmap; // owned; null when empty
    uint32_t* m_bits = nullptr;  // the bitmap's pixels, not owned apart from it
    size_t m_count = 0;
};

// Whether both hold the same pixels.
bool operator==(const PixelBuffer& a, const PixelBuffer& b);
