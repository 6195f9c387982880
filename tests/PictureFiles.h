// Test pictures in memory: PNG, JPEG and GIF written with the real encoders, BMP and ICO by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = 2; // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    Bytes rows;                                   // packed rows, top-down, without filter bytes
    Bytes palette;                                // RGB triples (colour type 3)
    Bytes alphas;                                 // tRNS: one alpha per palette entry (colour type 3)
    int keyRed = -1, keyGreen = -1, keyBlue = -1; // tRNS colour key (colour type 2)
};
Bytes EncodePng(const PngSpec& layout);

struct JpegSpec {
    int width = 0;
    int height = 0;
    int components = 3; // 1 grey, 3 RGB, 4 CMYK (written with an Adobe marker, so inverted)
    int quality = 95;
    bool progressive = false;
    Bytes samples; // top-down, components bytes per pixel
};
Bytes EncodeJpeg(const JpegSpec& layout);

struct GifSpec {
    int screenWidth = 0;
    int screenHeight = 0;
    int left = 0, top = 0, width = 0, height = 0;
    Bytes palette; // RGB triples; the entry count must be a power of two
    bool localColourMap = false;
    int transparentIndex = -1; // written in a graphic control block when >= 0
    bool interlaced = false;
    Bytes indices; // width x height, top-down
};
Bytes EncodeGif(const GifSpec& layout);

struct BmpLayout {
    uint32_t headerSize = 40; // 12, 40, 52, 56, 108 or 124
    int32_t width = 0;
    int32_t height = 0; // negative for top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;   // inside larger headers, else after the header
    std::vector<uint32_t> palette; // 0x00RRGGBB
    Bytes bits;                    // the pixel data exactly as stored
};
// The header, masks, palette and bits, as stored in an icon (no file header).
Bytes EncodeDib(const BmpLayout& layout);
// A BMP file: file header with the right bits offset, then EncodeDib.
Bytes EncodeBmp(const BmpLayout& layout);

// Packs rows of bit values (1, 4, 8, 16, 24 or 32 bits, as stored little-endian) with the
// 4-byte row padding of bitmaps; value(x, y) gives the pixel for the stored row y.
template <typename Value> Bytes PackBitmapRows(int width, int rows, int bitCount, Value value) {
    const size_t stride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    Bytes bits(stride * rows, 0);
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = bits.data() + y * stride;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = value(x, y);
            if (bitCount < 8) {
                const int bit = x * bitCount;
                row[bit / 8] |= uint8_t(v << (8 - bitCount - bit % 8));
            } else {
                for (int b = 0; b < bitCount / 8; ++b) {
                    row[x * (bitCount / 8) + b] = uint8_t(v >> (8 * b));
                }
            }
        }
    }
    return bits;
}

struct IconImage {
    Bytes data;           // a DIB with AND mask, or a PNG
    uint8_t dirWidth = 0; // as written in the directory (0 stands for 256)
    uint8_t dirHeight = 0;
    uint16_t dirBitCount = 0;
};
Bytes EncodeIco(const std::vector<IconImage>& images);

// PNG chunk surgery: the offset of a chunk's data (or npos), and its CRC recomputed.
size_t FindPngChunk(const Bytes& png, const char* type);
void FixPngCrc(Bytes& png, size_t chunkDataOffset);
// The offset of the first JPEG marker 0xFF code (or npos).
size_t FindJpegMarker(const Bytes& jpeg, uint8_t code);

void PutLe16(Bytes& bytes, size_t at, uint32_t value);
void PutLe32(Bytes& bytes, size_t at, uint32_t value);
void PutBe16(Bytes& bytes, size_t at, uint32_t value);
void PutBe32(Bytes& bytes, size_t at, uint32_t value);

inline Bytes Prefix(const Bytes& bytes, size_t length) {
    return Bytes(bytes.begin(), bytes.begin() + length);
}

// Whether each of the red, green and blue bytes of two colours differ by at most tolerance.
inline bool ColourNear(uint32_t expected, uint32_t actual, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int difference = int((expected >> shift) & 0xFF) - int((actual >> shift) & 0xFF);
        if (difference > tolerance || difference < -tolerance) {
            return false;
        }
    }
    return true;
}

// Writes bytes to a file, replacing it.
void WriteBytesFile(const std::wstring& path, const Bytes& bytes);
