// Drawing decoded pictures: AlphaBlend needs colours premultiplied by alpha in a 32-bit DIB
// section selected into a memory DC.
#include "PictureDrawing.h"

#include "GdiHandles.h"

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

} // namespace

void DrawPicture(HDC dc, int x, int y, int cx, int cy, const Picture& picture) {
    if (!dc || picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
        return;
    }
    const int width = cx > 0 ? cx : picture.width;
    const int height = cy > 0 ? cy : picture.height;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height; // top-down, like the picture's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC memory(dc);
    if (!bitmap || !bits || !memory.Get()) {
        StretchDIBits(dc, x, y, width, height, 0, 0, picture.width, picture.height, picture.pixels.data(),
                      &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    uint32_t* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        out[i] = Premultiply(picture.pixels[i], EffectiveAlpha(picture, picture.pixels[i]));
    }
    SelectedObject selected(memory.Get(), bitmap.Get());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width, height, memory.Get(), 0, 0, picture.width, picture.height, blend);
}
