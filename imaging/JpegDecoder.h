// Decoding of JPEG pictures through libjpeg.
#pragma once

#include "Picture.h"

#include <optional>

// Baseline and progressive JPEG in greyscale, YCbCr, RGB, CMYK or YCCK. Data that libjpeg
// reports as damaged, even when it could go on (truncation, corrupt entropy data), gives no
// picture.
std::optional<Picture> DecodeJpeg(const uint8_t* data, size_t size);
