// PNG decoding with libpng's simplified interface, which reports errors by return value, so no
// long jump ever crosses this code.
#include "PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

// Frees libpng's state on every way out; freeing twice is harmless.
class PngImage {
public:
    PngImage() {
        std::memset(&m_image, 0, sizeof(m_image));
        m_image.version = PNG_IMAGE_VERSION;
    }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    ~PngImage() { png_image_free(&m_image); }
    png_image* Get() { return &m_image; }

private:
    png_image m_image;
};

// Most bytes deflate can unpack from one: a run of zeros shrinks at best about 1032 to 1.
constexpr uint64_t kDeflateRatio = 1032;

// The bytes of compressed pixel data (IDAT chunks), when every chunk up to IEND is complete.
// libpng's simplified reader stops once it has the pixels; a file cut off after them is refused
// all the same, like truncated files of the other formats.
std::optional<uint64_t> CompressedPixelBytes(const uint8_t* data, size_t size) {
    uint64_t compressed = 0;
    size_t at = 8;
    while (size - at >= 12) {
        const uint32_t length = ReadBe32(data + at);
        if (length > size - at - 12) {
            return std::nullopt;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) {
            return compressed;
        }
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
            compressed += length;
        }
        at += 12 + size_t(length);
    }
    return std::nullopt;
}

// Whether the compressed data can unpack to the samples the header declares (IHDR follows the
// signature at a fixed place: width, height, bit depth, colour type).
bool CompressedDataCanFill(const uint8_t* data, uint64_t compressed) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint8_t colourType = data[25];
    const int bitsPerPixel = colourType < 7 ? kChannels[colourType] * data[24] : 0;
    if (bitsPerPixel <= 0) {
        return false;
    }
    return DataCanFill(ReadBe32(data + 16), ReadBe32(data + 20), compressed,
                       kDeflateRatio * 8 / bitsPerPixel);
}

// --- Interlaced pictures of 16-bit samples --------------------------------------------------------
// libpng's simplified reader (1.6.39) scrambles these. Its row reader de-interlaces them right:
// the rows are read with it and written again in memory without interlacing, together with the
// chunks that say how to read their colours, and the simplified reader converts that copy like
// any other file. libpng's errors long-jump back into the small step functions below, which hold
// no objects with destructors.

bool InterlacedSixteenBit(const uint8_t* data) {
    return data[24] == 16 && data[28] == 1; // IHDR's bit depth and interlace method
}

struct MemoryIn {
    const uint8_t* data;
    size_t size;
    size_t position;
};

struct MemoryOut {
    uint8_t* data;
    size_t capacity;
    size_t used;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* in = static_cast<MemoryIn*>(png_get_io_ptr(png));
    if (in->size - in->position < length) {
        png_error(png, "truncated");
    }
    std::memcpy(out, in->data + in->position, length);
    in->position += length;
}

void WriteToMemory(png_structp png, png_bytep bytes, png_size_t length) {
    auto* out = static_cast<MemoryOut*>(png_get_io_ptr(png));
    if (out->capacity - out->used < length) {
        png_error(png, "full");
    }
    std::memcpy(out->data + out->used, bytes, length);
    out->used += length;
}

void FlushMemory(png_structp) {}

// Owns libpng's reading and writing state.
class PngRowCopy {
public:
    PngRowCopy() = default;
    PngRowCopy(const PngRowCopy&) = delete;
    PngRowCopy& operator=(const PngRowCopy&) = delete;
    ~PngRowCopy() {
        png_destroy_read_struct(&read, &readInfo, nullptr);
        png_destroy_write_struct(&write, &writeInfo);
    }

    png_structp read = nullptr;
    png_infop readInfo = nullptr;
    png_structp write = nullptr;
    png_infop writeInfo = nullptr;
};

bool ReadHeader(PngRowCopy* copy, MemoryIn* in) {
    if (setjmp(png_jmpbuf(copy->read))) {
        return false;
    }
    png_set_read_fn(copy->read, in, ReadFromMemory);
    png_read_info(copy->read, copy->readInfo);
    png_set_interlace_handling(copy->read);
    png_read_update_info(copy->read, copy->readInfo);
    return true;
}

bool ReadRows(PngRowCopy* copy, png_bytepp rows) {
    if (setjmp(png_jmpbuf(copy->read))) {
        return false;
    }
    png_read_image(copy->read, rows);
    return true;
}

bool WriteRows(PngRowCopy* copy, MemoryOut* out, png_bytepp rows) {
    if (setjmp(png_jmpbuf(copy->write))) {
        return false;
    }
    png_structp r = copy->read;
    png_infop ri = copy->readInfo;
    png_structp w = copy->write;
    png_infop wi = copy->writeInfo;
    png_set_write_fn(w, out, WriteToMemory, FlushMemory);
    png_set_compression_level(w, 1);
    png_set_filter(w, 0, PNG_FILTER_NONE);
    png_set_IHDR(w, wi, png_get_image_width(r, ri), png_get_image_height(r, ri), png_get_bit_depth(r, ri),
                 png_get_color_type(r, ri), PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_fixed_point gamma = 0;
    if (png_get_gAMA_fixed(r, ri, &gamma)) {
        png_set_gAMA_fixed(w, wi, gamma);
    }
    int intent = 0;
    if (png_get_sRGB(r, ri, &intent)) {
        png_set_sRGB(w, wi, intent);
    }
    png_fixed_point c[8] = {};
    if (png_get_cHRM_fixed(r, ri, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7])) {
        png_set_cHRM_fixed(w, wi, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
    }
    png_bytep alphas = nullptr;
    int count = 0;
    png_color_16p key = nullptr;
    if (png_get_tRNS(r, ri, &alphas, &count, &key)) {
        png_set_tRNS(w, wi, alphas, count, key);
    }
    png_write_info(w, wi);
    png_write_image(w, rows);
    png_write_end(w, nullptr);
    return true;
}

std::vector<uint8_t> WithoutInterlacing(const uint8_t* data, size_t size) {
    PngRowCopy copy;
    copy.read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    copy.readInfo = copy.read ? png_create_info_struct(copy.read) : nullptr;
    copy.write = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    copy.writeInfo = copy.write ? png_create_info_struct(copy.write) : nullptr;
    MemoryIn in = {data, size, 0};
    if (!copy.readInfo || !copy.writeInfo || !ReadHeader(&copy, &in)) {
        return {};
    }
    const size_t rowBytes = png_get_rowbytes(copy.read, copy.readInfo);
    const size_t height = png_get_image_height(copy.read, copy.readInfo);
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    // Written with fast compression and no filters: at worst a little more than the raw rows.
    std::vector<uint8_t> written;
    if (!TryResize(pixels, rowBytes * height) || !TryResize(rows, height) ||
        !TryResize(written, rowBytes * height + rowBytes * height / 32 + height + 65536)) {
        return {};
    }
    for (size_t y = 0; y < height; ++y) {
        rows[y] = pixels.data() + y * rowBytes;
    }
    MemoryOut out = {written.data(), written.size(), 0};
    if (!ReadRows(&copy, rows.data()) || !WriteRows(&copy, &out, rows.data())) {
        return {};
    }
    written.resize(out.used);
    return written;
}

} // namespace

bool HasPngSignature(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data && size >= sizeof(kSignature) && std::memcmp(data, kSignature, sizeof(kSignature)) == 0;
}

std::optional<Picture> DecodePng(const uint8_t* data, size_t size) {
    if (!HasPngSignature(data, size)) {
        return std::nullopt;
    }
    const auto compressed = CompressedPixelBytes(data, size);
    if (!compressed || size < 33 || !CompressedDataCanFill(data, *compressed)) {
        return std::nullopt;
    }
    if (InterlacedSixteenBit(data)) {
        const std::vector<uint8_t> copy = WithoutInterlacing(data, size);
        return copy.empty() ? std::nullopt : DecodePng(copy.data(), copy.size());
    }
    PngImage image;
    if (!png_image_begin_read_from_memory(image.Get(), data, size)) {
        return std::nullopt;
    }
    // Without gAMA or sRGB, 16-bit samples are sRGB like 8-bit ones (the reader would take them
    // as linear and brighten them).
    image.Get()->flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    // The header's format says whether the file has alpha or a tRNS chunk.
    const bool hasAlpha = (image.Get()->format & PNG_FORMAT_FLAG_ALPHA) != 0;
    Picture picture;
    if (!AllocatePicture(picture, image.Get()->width, image.Get()->height)) {
        return std::nullopt;
    }
    image.Get()->format = PNG_FORMAT_BGRA; // little-endian 0xAARRGGBB words
    if (!png_image_finish_read(image.Get(), nullptr, picture.pixels.data(),
                               static_cast<png_int_32>(picture.width) * 4, nullptr)) {
        return std::nullopt;
    }
    picture.alpha = hasAlpha ? PictureAlpha::AlphaChannel : PictureAlpha::Opaque;
    picture.format = PictureFormat::Png;
    return picture;
}
