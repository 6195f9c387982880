// Decoding of the first frame of GIF pictures.
#pragma once

#include "Picture.h"

#include <optional>

// The first frame, placed on a canvas of the logical screen's size. Pixels of the frame's
// transparent index, and canvas pixels the frame does not cover, are transparent. A file whose
// first frame has no pixels, or that has no frame at all, gives the empty canvas.
std::optional<Picture> DecodeGif(const uint8_t* data, size_t size);
