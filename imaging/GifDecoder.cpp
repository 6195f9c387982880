// GIF decoding with giflib, fed from memory through a read callback that never reads past the
// data; the frame is read line by line, so only one line buffer and the picture are allocated.
#include "GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<MemorySource*>(gif->UserData);
    if (length <= 0) {
        return 0;
    }
    const size_t count = std::min(static_cast<size_t>(length), source->size - source->position);
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Reads an extension record; a graphic control block sets the transparent index for the next
// frame.
bool ReadExtension(GifFileType* gif, int& transparentIndex) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
        return false;
    }
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        GraphicsControlBlock control;
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
            transparentIndex = control.TransparentColor;
        }
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            return false;
        }
    }
    return true;
}

std::optional<Picture> ReadFrame(GifFileType* gif, int transparentIndex) {
    if (DGifGetImageDesc(gif) == GIF_ERROR) {
        return std::nullopt;
    }
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours || !PictureSizeAllowed(frame.Width, frame.Height)) {
        return std::nullopt;
    }
    int64_t canvasWidth = gif->SWidth;
    int64_t canvasHeight = gif->SHeight;
    if (canvasWidth <= 0 || canvasHeight <= 0) {
        canvasWidth = int64_t(frame.Left) + frame.Width;
        canvasHeight = int64_t(frame.Top) + frame.Height;
    }
    Picture picture;
    std::vector<GifPixelType> line;
    if (!AllocatePicture(picture, canvasWidth, canvasHeight, 0) || !TryResize(line, frame.Width)) {
        return std::nullopt;
    }

    auto storeLine = [&](int row) {
        const int64_t y = int64_t(frame.Top) + row;
        if (y >= picture.height) {
            return;
        }
        uint32_t* out = &picture.At(0, static_cast<int>(y));
        for (int x = 0; x < frame.Width; ++x) {
            const int64_t canvasX = int64_t(frame.Left) + x;
            const int index = line[x];
            if (canvasX >= picture.width || index == transparentIndex) {
                continue;
            }
            out[canvasX] = index < colours->ColorCount
                               ? MakePixel(colours->Colors[index].Red, colours->Colors[index].Green,
                                           colours->Colors[index].Blue)
                               : MakePixel(0, 0, 0);
        }
    };
    if (frame.Interlace) {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = kStart[pass]; row < frame.Height; row += kStep[pass]) {
                if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) {
                    return std::nullopt;
                }
                storeLine(row);
            }
        }
    } else {
        for (int row = 0; row < frame.Height; ++row) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) {
                return std::nullopt;
            }
            storeLine(row);
        }
    }
    const bool anyTransparent = std::any_of(picture.pixels.begin(), picture.pixels.end(),
                                            [](uint32_t pixel) { return PixelAlpha(pixel) == 0; });
    picture.alpha = anyTransparent ? PictureAlpha::TransparentPixels : PictureAlpha::Opaque;
    picture.format = PictureFormat::Gif;
    return picture;
}

} // namespace

std::optional<Picture> DecodeGif(const uint8_t* data, size_t size) {
    if (!data || size < 6 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0)) {
        return std::nullopt;
    }
    MemorySource source = {data, size, 0};
    int error = 0;
    GifFile gif(DGifOpen(&source, ReadFromMemory, &error));
    if (!gif) {
        return std::nullopt;
    }
    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            return std::nullopt;
        }
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            return ReadFrame(gif.get(), transparentIndex);
        case EXTENSION_RECORD_TYPE:
            if (!ReadExtension(gif.get(), transparentIndex)) {
                return std::nullopt;
            }
            break;
        default: // the trailer before any frame, or an unknown record
            return std::nullopt;
        }
    }
}
