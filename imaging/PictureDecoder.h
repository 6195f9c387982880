// Reading picture files and recognising their format from the content.
#pragma once

#include "Picture.h"

#include <optional>

// Tries BMP, JPEG, ICO, GIF and PNG in this order, each from the start of the data; the first
// that decodes wins. No picture when none does. A picture to be drawn smaller than its own size
// may come decoded smaller, though never below the drawing size (see DrawingSize).
std::optional<Picture> DecodePicture(const uint8_t* data, size_t size, DrawingSize drawing = {});

// Reads the whole file (refusing empty files and files over kMaxPictureFileBytes) and decodes it.
std::optional<Picture> DecodePictureFile(const wchar_t* path, DrawingSize drawing = {});
