// Decoding of Windows bitmaps: BMP files, and the bitmaps with AND masks stored inside icons.
#pragma once

#include "Picture.h"

#include <optional>

// A BMP file ("BM" header): 1, 2, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, bit fields
// (with alpha when a mask says where it is) or run-length encoded (8 and 4 bits), bottom-up or
// top-down; or a whole JPEG or PNG file inside.
std::optional<Picture> DecodeBmp(const uint8_t* data, size_t size);

// An icon image: a bitmap header whose height counts the colour rows and the AND mask rows,
// the palette, the colour bits, then the AND mask (set bits are transparent). 32-bit images
// take their alpha from the fourth byte unless it is zero everywhere.
std::optional<Picture> DecodeIconBitmap(const uint8_t* data, size_t size);
