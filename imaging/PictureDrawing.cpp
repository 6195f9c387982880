// Drawing decoded pictures: AlphaBlend needs colours premultiplied by alpha in a 32-bit DIB
// section selected into a memory DC.
#include "PictureDrawing.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t EffectiveAlpha(const Picture& picture, uint32_t pixel) {
    switch (picture.alpha) {
    case PictureAlpha::AlphaChannel:
        return PixelAlpha(pixel);
    case PictureAlpha::TransparentPixels:
        return PixelAlpha(pixel) == 0 ? 0 : 255;
    case PictureAlpha::Opaque:
    default:
        return 255;
    }
}

uint32_t Premultiply(uint32_t pixel, unsigned alpha) {
    auto scale = [alpha](uint32_t component) { return ((component & 0xFF) * alpha + 127) / 255; };
    return (alpha << 24) | (scale(pixel >> 16) << 16) | (scale(pixel >> 8) << 8) | scale(pixel);
}

// The first source line of each of `cells` cells that divide `lines` lines, and the end.
std::vector<int> CellStarts(int lines, int cells) {
    std::vector<int> starts(static_cast<size_t>(cells) + 1);
    for (int i = 0; i <= cells; ++i) {
        starts[i] = static_cast<int>(int64_t(i) * lines / cells);
    }
    return starts;
}

// The premultiplied picture averaged into width x height cells (each at most the picture's own).
std::vector<uint32_t> PremultipliedCells(const Picture& picture, int width, int height) {
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    if (width == picture.width && height == picture.height) {
        for (size_t i = 0; i < out.size(); ++i) {
            out[i] = Premultiply(picture.pixels[i], EffectiveAlpha(picture, picture.pixels[i]));
        }
        return out;
    }
    const std::vector<int> columns = CellStarts(picture.width, width);
    const std::vector<int> rows = CellStarts(picture.height, height);
    for (int cy = 0; cy < height; ++cy) {
        for (int cx = 0; cx < width; ++cx) {
            uint64_t sums[4] = {};
            for (int y = rows[cy]; y < rows[cy + 1]; ++y) {
                for (int x = columns[cx]; x < columns[cx + 1]; ++x) {
                    const uint32_t pixel = picture.At(x, y);
                    const uint32_t premultiplied = Premultiply(pixel, EffectiveAlpha(picture, pixel));
                    for (int c = 0; c < 4; ++c) {
                        sums[c] += (premultiplied >> (8 * c)) & 0xFF;
                    }
                }
            }
            const uint64_t count = uint64_t(rows[cy + 1] - rows[cy]) * (columns[cx + 1] - columns[cx]);
            uint32_t average = 0;
            for (int c = 0; c < 4; ++c) {
                average |= uint32_t((sums[c] + count / 2) / count) << (8 * c);
            }
            out[static_cast<size_t>(cy) * width + cx] = average;
        }
    }
    return out;
}

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, like the picture's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

DrawablePicture::DrawablePicture(const Picture& picture, int cx, int cy) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
        return;
    }
    m_width = cx > 0 ? cx : picture.width;
    m_height = cy > 0 ? cy : picture.height;
    m_keptWidth = std::min(m_width, picture.width);
    m_keptHeight = std::min(m_height, picture.height);
    std::vector<uint32_t> pixels = PremultipliedCells(picture, m_keptWidth, m_keptHeight);

    const BITMAPINFO info = TopDownInfo(m_keptWidth, m_keptHeight);
    void* bits = nullptr;
    m_bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (m_bitmap.Get() && bits) {
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    } else {
        m_bitmap.Reset(nullptr);
        m_unblended = std::move(pixels);
    }
}

void DrawablePicture::Draw(HDC dc, int x, int y) const {
    if (!dc || m_keptWidth <= 0 || m_keptHeight <= 0) {
        return;
    }
    MemoryDC memory(dc);
    if (!m_bitmap.Get() || !memory.Get()) {
        if (!m_unblended.empty()) {
            const BITMAPINFO info = TopDownInfo(m_keptWidth, m_keptHeight);
            StretchDIBits(dc, x, y, m_width, m_height, 0, 0, m_keptWidth, m_keptHeight, m_unblended.data(),
                          &info, DIB_RGB_COLORS, SRCCOPY);
        }
        return;
    }
    SelectedObject selected(memory.Get(), m_bitmap.Get());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, m_width, m_height, memory.Get(), 0, 0, m_keptWidth, m_keptHeight, blend);
}

void DrawPicture(HDC dc, int x, int y, int cx, int cy, const Picture& picture) {
    if (dc) {
        DrawablePicture(picture, cx, cy).Draw(dc, x, y);
    }
}
