// Reading picture files and recognising their format from the content.
#include <windows.h>

#include "PictureDecoder.h"

#include "BmpDecoder.h"
#include "GifDecoder.h"
#include "IcoDecoder.h"
#include "JpegDecoder.h"
#include "KernelHandles.h"
#include "PngDecoder.h"

namespace {

std::optional<Picture> DecodeAs(PictureFormat format, const uint8_t* data, size_t size, DrawingSize drawing) {
    switch (format) {
    case PictureFormat::Bmp:
        return DecodeBmp(data, size);
    case PictureFormat::Jpeg:
        return DecodeJpeg(data, size, drawing);
    case PictureFormat::Ico:
        return DecodeIco(data, size);
    case PictureFormat::Gif:
        return DecodeGif(data, size);
    case PictureFormat::Png:
        return DecodePng(data, size);
    }
    return std::nullopt;
}

} // namespace

std::optional<Picture> DecodePicture(const uint8_t* data, size_t size, DrawingSize drawing) {
    if (!data || size == 0) {
        return std::nullopt;
    }
    for (PictureFormat format : {PictureFormat::Bmp, PictureFormat::Jpeg, PictureFormat::Ico,
                                 PictureFormat::Gif, PictureFormat::Png}) {
        try {
            if (auto picture = DecodeAs(format, data, size, drawing)) {
                return picture;
            }
        } catch (...) {
            // Out of memory in a decoder: that format gives no picture.
        }
    }
    return std::nullopt;
}

std::optional<Picture> DecodePictureFile(const wchar_t* path, DrawingSize drawing) {
    if (!path || !*path) {
        return std::nullopt;
    }
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxPictureFileBytes) {
        return std::nullopt;
    }
    std::vector<uint8_t> data;
    if (!TryResize(data, static_cast<size_t>(size.QuadPart))) {
        return std::nullopt;
    }
    size_t filled = 0;
    while (filled < data.size()) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), data.data() + filled, static_cast<DWORD>(data.size() - filled), &read,
                      nullptr) ||
            read == 0) {
            break; // the file shrank meanwhile: decode what is there
        }
        filled += read;
    }
    return DecodePicture(data.data(), filled, drawing);
}
