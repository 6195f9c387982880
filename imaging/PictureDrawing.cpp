// Drawing decoded pictures: AlphaBlend needs colours premultiplied by alpha in a 32-bit DIB
// section selected into a memory DC.
#include "PictureDrawing.h"

#include <algorithm>
#include <utility>

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

uint32_t Premultiplied(const Picture& picture, uint32_t pixel) {
    return Premultiply(pixel, EffectiveAlpha(picture, pixel));
}

// The first source line of each of `cells` cells that divide `lines` lines, and the end.
std::vector<int> CellStarts(int lines, int cells) {
    std::vector<int> starts(static_cast<size_t>(cells) + 1);
    for (int i = 0; i <= cells; ++i) {
        starts[i] = static_cast<int>(int64_t(i) * lines / cells);
    }
    return starts;
}

// The premultiplied picture averaged into width x height cells (each at most the picture's own),
// written to out.
void AverageCells(const Picture& picture, int width, int height, uint32_t* out) {
    if (width == picture.width && height == picture.height) {
        std::transform(picture.pixels.begin(), picture.pixels.end(), out,
                       [&](uint32_t pixel) { return Premultiplied(picture, pixel); });
        return;
    }
    const std::vector<int> columns = CellStarts(picture.width, width);
    const std::vector<int> rows = CellStarts(picture.height, height);
    for (int cy = 0; cy < height; ++cy) {
        for (int cx = 0; cx < width; ++cx) {
            uint64_t sums[4] = {};
            for (int y = rows[cy]; y < rows[cy + 1]; ++y) {
                for (int x = columns[cx]; x < columns[cx + 1]; ++x) {
                    const uint32_t premultiplied = Premultiplied(picture, picture.At(x, y));
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
}

} // namespace

DrawablePicture::DrawablePicture(const Picture& picture, int cx, int cy) {
    if (Measure(picture, cx, cy)) {
        KeepCells(picture);
    }
}

DrawablePicture::DrawablePicture(Picture&& picture, int cx, int cy) {
    if (!Measure(picture, cx, cy)) {
        return;
    }
    if (m_keptWidth != picture.width || m_keptHeight != picture.height) {
        KeepCells(picture);
        return;
    }
    for (uint32_t& pixel : picture.pixels) {
        pixel = Premultiplied(picture, pixel);
    }
    m_kept = std::move(picture.pixels);
}

bool DrawablePicture::Measure(const Picture& picture, int cx, int cy) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
        return false;
    }
    m_width = cx > 0 ? cx : picture.width;
    m_height = cy > 0 ? cy : picture.height;
    m_keptWidth = std::min(m_width, picture.width);
    m_keptHeight = std::min(m_height, picture.height);
    return true;
}

void DrawablePicture::KeepCells(const Picture& picture) {
    if (m_kept.Allocate(m_keptWidth, m_keptHeight, 0)) {
        AverageCells(picture, m_keptWidth, m_keptHeight, m_kept.data());
    } else if (TryResize(m_unblended, KeptBytes() / 4)) {
        AverageCells(picture, m_keptWidth, m_keptHeight, m_unblended.data());
    } else {
        m_keptWidth = m_keptHeight = 0; // nothing to draw
    }
}

void DrawablePicture::Draw(HDC dc, int x, int y) const {
    if (!dc || m_keptWidth <= 0 || m_keptHeight <= 0) {
        return;
    }
    MemoryDC memory(dc);
    if (!m_kept.Bitmap() || !memory.Get()) {
        if (!m_unblended.empty()) {
            const BITMAPINFO info = TopDownBitmapInfo(m_keptWidth, m_keptHeight);
            StretchDIBits(dc, x, y, m_width, m_height, 0, 0, m_keptWidth, m_keptHeight, m_unblended.data(),
                          &info, DIB_RGB_COLORS, SRCCOPY);
        }
        return;
    }
    SelectedObject selected(memory.Get(), m_kept.Bitmap());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, m_width, m_height, memory.Get(), 0, 0, m_keptWidth, m_keptHeight, blend);
}

void DrawPicture(HDC dc, int x, int y, int cx, int cy, const Picture& picture) {
    if (dc) {
        DrawablePicture(picture, cx, cy).Draw(dc, x, y);
    }
}
