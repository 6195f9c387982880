// Decoding of JPEG pictures through libjpeg.
#pragma once

#include "Picture.h"

#include <optional>

// Baseline and progressive JPEG in greyscale, YCbCr, RGB, CMYK or YCCK. A damaged file shows
// what can be decoded of it, as other decoders show it: a file cut short or with corrupt data
// decodes on, and rows past an error that stops decoding are grey. Only a file whose first row
// cannot be decoded gives no picture. With a drawing size, the picture may come a half, a
// quarter or an eighth of its size (see DrawingSize).
std::optional<Picture> DecodeJpeg(const uint8_t* data, size_t size, DrawingSize drawing = {});
