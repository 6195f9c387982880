// Reading picture files and recognising their format from the content.
#include <windows.h>

#include "PictureDecoder.h"

#include "BmpDecoder.h"
#include "GifDecoder.h"
#include "IcoDecoder.h"
#include "JpegDecoder.h"
#include "KernelHandles.h"
#include "PngDecoder.h"

std::optional<Picture> DecodePicture(const uint8_t* data, size_t size) {
    if (!data || size == 0) {
        return std::nullopt;
    }
    using Decoder = std::optional<Picture> (*)(const uint8_t*, size_t);
    static const Decoder kDecoders[] = {DecodeBmp, DecodeJpeg, DecodeIco, DecodeGif, DecodePng};
    for (Decoder decode : kDecoders) {
        try {
            if (auto picture = decode(data, size)) {
                return picture;
            }
        } catch (...) {
            // Out of memory in a decoder: that format gives no picture.
        }
    }
    return std::nullopt;
}

std::optional<Picture> DecodePictureFile(const wchar_t* path) {
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
    return DecodePicture(data.data(), filled);
}
