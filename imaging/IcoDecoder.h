// Decoding of icon files: the largest of their images, stored as a bitmap or as a PNG.
#pragma once

#include "Picture.h"

#include <optional>

// Picks the image with the most pixels (then the most bits per pixel, then the first) whose
// data lies inside the file; when it does not decode, the next one is tried.
std::optional<Picture> DecodeIco(const uint8_t* data, size_t size);
