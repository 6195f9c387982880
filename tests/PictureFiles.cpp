// Test pictures in memory: PNG, JPEG and GIF written with the real encoders, BMP and ICO by hand.
#include "PictureFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace {

// libpng and libjpeg report errors by long jumps, so their writing steps are small C-style
// functions without objects that have destructors.

// --- PNG ---------------------------------------------------------------------------------------

void AppendPngData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushPng(png_structp) {}

size_t PngRowBytes(const PngSpec& layout) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    return (static_cast<size_t>(layout.width) * kChannels[layout.colorType] * layout.bitDepth + 7) / 8;
}

bool WritePngSteps(png_structp png, png_infop info, const PngSpec* layout, Bytes* out, size_t rowBytes) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, out, AppendPngData, FlushPng);
    png_set_IHDR(png, info, layout->width, layout->height, layout->bitDepth, layout->colorType,
                 layout->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!layout->palette.empty()) {
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(layout->palette.data()),
                     static_cast<int>(layout->palette.size() / 3));
    }
    if (!layout->alphas.empty()) {
        png_set_tRNS(png, info, layout->alphas.data(), static_cast<int>(layout->alphas.size()), nullptr);
    } else if (layout->keyRed >= 0) {
        png_color_16 key;
        std::memset(&key, 0, sizeof(key));
        key.red = png_uint_16(layout->keyRed);
        key.green = png_uint_16(layout->keyGreen);
        key.blue = png_uint_16(layout->keyBlue);
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < layout->height; ++y) {
            png_write_row(png, layout->rows.data() + y * rowBytes);
        }
    }
    png_write_end(png, nullptr);
    return true;
}

// --- JPEG --------------------------------------------------------------------------------------

struct JpegWriter {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    std::jmp_buf jump;
    unsigned char* buffer;
    unsigned long size;
    bool created;
};

[[noreturn]] void OnJpegWriteError(j_common_ptr info) {
    std::longjmp(static_cast<JpegWriter*>(info->client_data)->jump, 1);
}

bool WriteJpegSteps(JpegWriter* w, const JpegSpec* layout) {
    w->info.err = jpeg_std_error(&w->error);
    w->error.error_exit = OnJpegWriteError;
    w->info.client_data = w;
    if (setjmp(w->jump)) {
        return false;
    }
    jpeg_create_compress(&w->info);
    w->created = true;
    jpeg_mem_dest(&w->info, &w->buffer, &w->size);
    w->info.image_width = layout->width;
    w->info.image_height = layout->height;
    w->info.input_components = layout->components;
    w->info.in_color_space = layout->components == 1   ? JCS_GRAYSCALE
                             : layout->components == 4 ? JCS_CMYK
                                                       : JCS_RGB;
    jpeg_set_defaults(&w->info);
    jpeg_set_quality(&w->info, layout->quality, TRUE);
    if (layout->progressive) {
        jpeg_simple_progression(&w->info);
    }
    jpeg_start_compress(&w->info, TRUE);
    const size_t stride = static_cast<size_t>(layout->width) * layout->components;
    while (w->info.next_scanline < w->info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(layout->samples.data() + w->info.next_scanline * stride);
        jpeg_write_scanlines(&w->info, &row, 1);
    }
    jpeg_finish_compress(&w->info);
    return true;
}

// --- GIF ---------------------------------------------------------------------------------------

int AppendGifData(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

void PutDibHeader(Bytes& out, const BmpLayout& layout) {
    const size_t start = out.size();
    out.resize(start + layout.headerSize, 0);
    PutLe32(out, start, layout.headerSize);
    if (layout.headerSize == 12) {
        PutLe16(out, start + 4, uint32_t(layout.width));
        PutLe16(out, start + 6, uint32_t(layout.height));
        PutLe16(out, start + 8, 1);
        PutLe16(out, start + 10, layout.bitCount);
        return;
    }
    PutLe32(out, start + 4, uint32_t(layout.width));
    PutLe32(out, start + 8, uint32_t(layout.height));
    PutLe16(out, start + 12, 1);
    PutLe16(out, start + 14, layout.bitCount);
    PutLe32(out, start + 16, layout.compression);
    PutLe32(out, start + 20, uint32_t(layout.bits.size()));
    PutLe32(out, start + 32, layout.colorsUsed);
    for (size_t i = 0; i < layout.masks.size() && 40 + 4 * i + 4 <= layout.headerSize; ++i) {
        PutLe32(out, start + 40 + 4 * i, layout.masks[i]);
    }
}

} // namespace

Bytes EncodePng(const PngSpec& layout) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const size_t rowBytes = PngRowBytes(layout);
    const bool ok = info && layout.rows.size() == rowBytes * layout.height &&
                    WritePngSteps(png, info, &layout, &out, rowBytes);
    png_destroy_write_struct(&png, &info);
    return ok ? out : Bytes();
}

Bytes EncodeJpeg(const JpegSpec& layout) {
    JpegWriter writer;
    std::memset(&writer, 0, sizeof(writer));
    const bool ok =
        layout.samples.size() == static_cast<size_t>(layout.width) * layout.height * layout.components &&
        WriteJpegSteps(&writer, &layout);
    Bytes out;
    if (ok) {
        out.assign(writer.buffer, writer.buffer + writer.size);
    }
    if (writer.created) {
        jpeg_destroy_compress(&writer.info);
    }
    std::free(writer.buffer);
    return out;
}

Bytes EncodeGif(const GifSpec& layout) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGifData, &error);
    if (!gif) {
        return Bytes();
    }
    std::vector<GifColorType> colours(layout.palette.size() / 3);
    for (size_t i = 0; i < colours.size(); ++i) {
        colours[i] = {layout.palette[3 * i], layout.palette[3 * i + 1], layout.palette[3 * i + 2]};
    }
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = map != nullptr;
    EGifSetGifVersion(gif, true);
    ok = ok && EGifPutScreenDesc(gif, layout.screenWidth, layout.screenHeight, 8, 0,
                                 layout.localColourMap ? nullptr : map) == GIF_OK;
    if (ok && layout.transparentIndex >= 0) {
        GraphicsControlBlock control = {};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = layout.transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, layout.left, layout.top, layout.width, layout.height, layout.interlaced,
                                layout.localColourMap ? map : nullptr) == GIF_OK;
    std::vector<int> order;
    if (layout.interlaced) {
        const int start[4] = {0, 4, 2, 1};
        const int step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = start[pass]; y < layout.height; y += step[pass]) {
                order.push_back(y);
            }
        }
    } else {
        for (int y = 0; y < layout.height; ++y) {
            order.push_back(y);
        }
    }
    for (int y : order) {
        std::vector<GifPixelType> line(layout.indices.begin() + y * layout.width,
                                       layout.indices.begin() + (y + 1) * layout.width);
        ok = ok && EGifPutLine(gif, line.data(), layout.width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    return ok ? out : Bytes();
}

Bytes EncodeDib(const BmpLayout& layout) {
    Bytes out;
    PutDibHeader(out, layout);
    if (layout.headerSize == 40) {
        for (uint32_t mask : layout.masks) {
            const size_t at = out.size();
            out.resize(at + 4);
            PutLe32(out, at, mask);
        }
    }
    for (uint32_t colour : layout.palette) {
        out.push_back(uint8_t(colour));
        out.push_back(uint8_t(colour >> 8));
        out.push_back(uint8_t(colour >> 16));
        if (layout.headerSize != 12) {
            out.push_back(0);
        }
    }
    out.insert(out.end(), layout.bits.begin(), layout.bits.end());
    return out;
}

Bytes EncodeBmp(const BmpLayout& layout) {
    const Bytes dib = EncodeDib(layout);
    Bytes out(14, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out, 2, uint32_t(14 + dib.size()));
    PutLe32(out, 10, uint32_t(14 + dib.size() - layout.bits.size()));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

Bytes EncodeIco(const std::vector<IconImage>& images) {
    Bytes out(6 + 16 * images.size(), 0);
    PutLe16(out, 2, 1);
    PutLe16(out, 4, uint32_t(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const size_t entry = 6 + 16 * i;
        out[entry] = images[i].dirWidth;
        out[entry + 1] = images[i].dirHeight;
        PutLe16(out, entry + 4, 1);
        PutLe16(out, entry + 6, images[i].dirBitCount);
        PutLe32(out, entry + 8, uint32_t(images[i].data.size()));
        PutLe32(out, entry + 12, uint32_t(out.size()));
        out.insert(out.end(), images[i].data.begin(), images[i].data.end());
    }
    return out;
}

size_t FindPngChunk(const Bytes& png, const char* type) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length =
            (uint32_t(png[at]) << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
        if (std::memcmp(&png[at + 4], type, 4) == 0) {
            return at + 8;
        }
        at += 12 + size_t(length);
    }
    return std::string::npos;
}

void FixPngCrc(Bytes& png, size_t chunkDataOffset) {
    const size_t start = chunkDataOffset - 8;
    const uint32_t length =
        (uint32_t(png[start]) << 24) | (png[start + 1] << 16) | (png[start + 2] << 8) | png[start + 3];
    const uLong crc = crc32(0, png.data() + start + 4, 4 + length);
    PutBe32(png, chunkDataOffset + length, uint32_t(crc));
}

size_t FindJpegMarker(const Bytes& jpeg, uint8_t code) {
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) {
            return i;
        }
    }
    return std::string::npos;
}

void PutLe16(Bytes& bytes, size_t at, uint32_t value) {
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void PutLe32(Bytes& bytes, size_t at, uint32_t value) {
    PutLe16(bytes, at, value & 0xFFFF);
    PutLe16(bytes, at + 2, value >> 16);
}

void PutBe16(Bytes& bytes, size_t at, uint32_t value) {
    bytes[at] = uint8_t(value >> 8);
    bytes[at + 1] = uint8_t(value);
}

void PutBe32(Bytes& bytes, size_t at, uint32_t value) {
    PutBe16(bytes, at, value >> 16);
    PutBe16(bytes, at + 2, value & 0xFFFF);
}

void WriteBytesFile(const std::wstring& path, const Bytes& bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
