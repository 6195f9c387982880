// Decoding of PNG pictures through libpng's simplified reading interface.
#pragma once

#include "Picture.h"

#include <optional>

// Any PNG colour type and depth, interlaced or not; transparency (alpha or tRNS) becomes the
// picture's alpha channel.
std::optional<Picture> DecodePng(const uint8_t* data, size_t size);

// Whether data starts with the PNG signature.
bool HasPngSignature(const uint8_t* data, size_t size);
