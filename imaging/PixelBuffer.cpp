// Pixel memory in DIB sections.
#include "PixelBuffer.h"

#include <algorithm>
#include <utility>

BITMAPINFO TopDownBitmapInfo(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : m_bitmap(std::move(other.m_bitmap)), m_bits(std::exchange(other.m_bits, nullptr)),
      m_count(std::exchange(other.m_count, 0)) {}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
    if (this != &other) {
        m_bitmap = std::move(other.m_bitmap);
        m_bits = std::exchange(other.m_bits, nullptr);
        m_count = std::exchange(other.m_count, 0);
    }
    return *this;
}

bool PixelBuffer::Allocate(int width, int height, uint32_t fill) {
    *this = PixelBuffer();
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > SIZE_MAX / sizeof(uint32_t)) {
        return false;
    }
    const BITMAPINFO info = TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        return false;
    }
    m_bitmap = std::move(bitmap);
    m_bits = static_cast<uint32_t*>(bits);
    m_count = size_t(width) * size_t(height);
    // A new DIB section is zeroed already.
    if (fill != 0) {
        std::fill(m_bits, m_bits + m_count, fill);
    }
    return true;
}

bool operator==(const PixelBuffer& a, const PixelBuffer& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}
