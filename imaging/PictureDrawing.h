// Drawing decoded pictures with per-pixel alpha onto a device context.
#pragma once

#include <windows.h>

#include "Picture.h"

// Draws the picture at (x, y), stretched to cx when cx > 0 and to cy when cy > 0, otherwise at
// its own width or height. Blends through a premultiplied 32-bit DIB section with AlphaBlend;
// only when that bitmap cannot be made is it copied without blending.
void DrawPicture(HDC dc, int x, int y, int cx, int cy, const Picture& picture);
