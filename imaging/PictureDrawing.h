// Drawing decoded pictures with per-pixel alpha onto a device context.
#pragma once

#include <windows.h>

#include "Picture.h"
#include "PixelBuffer.h"

#include <vector>

// A picture made ready for drawing at one size: its colours premultiplied by alpha in a 32-bit
// DIB section, for AlphaBlend. It keeps no more pixels than the drawing shows: a larger picture
// is averaged down to the drawing size, a smaller one is stretched as it is drawn.
class DrawablePicture {
public:
    // The drawing size is cx x cy; cx or cy 0 or less stands for the picture's own width or height.
    DrawablePicture(const Picture& picture, int cx, int cy);
    // The same, taking over the picture's bitmap when it is kept at its own size, so that no
    // second copy of its pixels is made.
    DrawablePicture(Picture&& picture, int cx, int cy);

    // Draws at (x, y); nothing for an empty or inconsistent picture.
    void Draw(HDC dc, int x, int y) const;

    // The bytes of pixels kept.
    size_t KeptBytes() const { return size_t(m_keptWidth) * m_keptHeight * 4; }

private:
    // Sets the drawing and kept sizes; false for an empty or inconsistent picture.
    bool Measure(const Picture& picture, int cx, int cy);
    // Keeps the picture premultiplied and averaged at the kept size in a bitmap of its own.
    void KeepCells(const Picture& picture);

    int m_width = 0; // the drawing size
    int m_height = 0;
    int m_keptWidth = 0;
    int m_keptHeight = 0;
    PixelBuffer m_kept; // owned; the premultiplied pixels
    // Only when the DIB section could not be made: the same pixels, drawn without blending.
    std::vector<uint32_t> m_unblended;
};

// Draws the picture at (x, y), stretched to cx when cx > 0 and to cy when cy > 0, otherwise at
// its own width or height. Blends through a premultiplied 32-bit DIB section with AlphaBlend;
// only when that bitmap cannot be made is it copied without blending.
void DrawPicture(HDC dc, int x, int y, int cx, int cy, const Picture& picture);
