// Decoding of Windows bitmaps from memory; every read is checked against the end of the data,
// and sizes are checked against the limits before anything is allocated.
#include "BmpDecoder.h"

#include "JpegDecoder.h"
#include "PngDecoder.h"

#include <algorithm>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiJpeg = 4;
constexpr uint32_t kBiPng = 5;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
// What an index beyond the palette gives, told apart from every colour by its alpha byte 0; such
// files are broken, and refused.
constexpr uint32_t kOutOfPalette = 0x00FF00FFu;
// Densities beyond this (25,400 dots per inch) only come from damaged headers.
constexpr int64_t kMaxPixelsPerMetre = 1000000;

// One colour component of a bit-field pixel, scaled to 0..255.
class BitField {
public:
    explicit BitField(uint32_t mask = 0) : m_mask(mask) {
        if (mask) {
            while (!((mask >> m_shift) & 1)) {
                ++m_shift;
            }
            m_max = mask >> m_shift;
        }
    }
    bool Present() const { return m_mask != 0; }
    uint8_t Extract(uint32_t value) const {
        if (!m_mask) {
            return 0;
        }
        const uint64_t raw = (value & m_mask) >> m_shift;
        return uint8_t((raw * 255 + m_max / 2) / m_max);
    }

private:
    uint32_t m_mask;
    int m_shift = 0;
    uint64_t m_max = 1;
};

struct DibHeader {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0; // rows of colour data, positive
    bool topDown = false;
    uint32_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint64_t paletteEntries = 0; // entries stored in the data
    uint32_t paletteEntrySize = 4;
    uint32_t masks[4] = {}; // red, green, blue, alpha
    bool hasMasks = false;
    uint64_t masksAfterHeader = 0; // bytes of masks stored between header and palette
    uint32_t sizeImage = 0;        // bytes of colour data, 0 when not given
};

// The sizes of the headers Windows and OS/2 write (16 and 64: OS/2 2.x).
bool KnownHeaderSize(uint32_t size) {
    switch (size) {
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

bool DensityPlausible(const uint8_t* header) {
    const int64_t x = int32_t(ReadLe32(header + 24));
    const int64_t y = int32_t(ReadLe32(header + 28));
    return std::abs(x) <= kMaxPixelsPerMetre && std::abs(y) <= kMaxPixelsPerMetre;
}

// Reads the header at data[0..size); icon headers count the AND mask rows in their height.
bool ReadDibHeader(const uint8_t* data, size_t size, bool icon, DibHeader& h) {
    if (size < 4) {
        return false;
    }
    h.headerSize = ReadLe32(data);
    if (h.headerSize == kCoreHeaderSize) {
        if (size < kCoreHeaderSize) {
            return false;
        }
        h.width = ReadLe16(data + 4);
        h.height = ReadLe16(data + 6);
        h.bitCount = ReadLe16(data + 10);
        if (ReadLe16(data + 8) != 1) {
            return false; // planes
        }
        h.paletteEntrySize = 3;
        h.paletteEntries = h.bitCount <= 8 ? (1u << h.bitCount) : 0;
    } else {
        if (!KnownHeaderSize(h.headerSize) || h.headerSize > size || ReadLe16(data + 12) != 1) {
            return false;
        }
        h.width = int32_t(ReadLe32(data + 4));
        const int64_t height = int32_t(ReadLe32(data + 8));
        h.topDown = height < 0;
        h.height = h.topDown ? -height : height;
        h.bitCount = ReadLe16(data + 14);
        const bool full = h.headerSize >= kInfoHeaderSize; // the short OS/2 header ends here
        h.compression = full ? ReadLe32(data + 16) : kBiRgb;
        h.sizeImage = full ? ReadLe32(data + 20) : 0;
        const uint32_t colorsUsed = full ? ReadLe32(data + 32) : 0;
        if ((full && !DensityPlausible(data)) || (h.headerSize == 64 && h.compression >= kBiBitfields)) {
            return false; // OS/2's compressions 3 and 4 are not Windows' bit fields and JPEG
        }
        if (h.bitCount >= 1 && h.bitCount <= 8) {
            // More colours than the depth can index are stored all the same, and skipped.
            h.paletteEntries = colorsUsed ? colorsUsed : (1u << h.bitCount);
        } else {
            h.paletteEntries = colorsUsed; // stored, but not used for direct colours
        }
        if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
            h.hasMasks = true;
            // Newer headers hold the masks (V3 and later also the alpha mask); an information
            // header is followed by them.
            const uint32_t needed = (h.compression == kBiAlphaBitfields || h.headerSize >= 56) ? 4 : 3;
            const uint32_t inHeader = std::min(needed, (h.headerSize - kInfoHeaderSize) / 4);
            h.masksAfterHeader = uint64_t(needed - inHeader) * 4;
            if (h.headerSize + h.masksAfterHeader > size) {
                return false;
            }
            for (uint32_t i = 0; i < needed; ++i) {
                const size_t at = i < inHeader ? kInfoHeaderSize + 4 * i : h.headerSize + 4 * (i - inHeader);
                h.masks[i] = ReadLe32(data + at);
            }
        }
    }
    if (icon) {
        h.height /= 2;
    }
    return true;
}

bool CombinationSupported(const DibHeader& h) {
    if (h.compression == kBiJpeg || h.compression == kBiPng) {
        return true; // the embedded file decides
    }
    switch (h.bitCount) {
    case 1:
    case 2: // Windows CE's
        return h.compression == kBiRgb;
    case 4:
        return h.compression == kBiRgb || h.compression == kBiRle4;
    case 8:
        return h.compression == kBiRgb || h.compression == kBiRle8;
    case 16:
    case 32:
        return h.compression == kBiRgb || h.hasMasks;
    case 24:
        return h.compression == kBiRgb;
    default:
        return false;
    }
}

uint32_t PaletteColour(const std::vector<uint32_t>& palette, unsigned index) {
    return index < palette.size() ? palette[index] : kOutOfPalette;
}

// Decodes one uncompressed row into out (width pixels). For 32-bit rows without masks the
// fourth byte goes into the alpha byte; the caller decides what it means.
void DecodeRow(const DibHeader& h, const uint8_t* row, const std::vector<uint32_t>& palette,
               const BitField fields[4], uint32_t* out) {
    const int width = static_cast<int>(h.width);
    switch (h.bitCount) {
    case 1:
        for (int x = 0; x < width; ++x) {
            out[x] = PaletteColour(palette, (row[x >> 3] >> (7 - (x & 7))) & 1);
        }
        break;
    case 2:
        for (int x = 0; x < width; ++x) {
            out[x] = PaletteColour(palette, (row[x >> 2] >> (6 - 2 * (x & 3))) & 3);
        }
        break;
    case 4:
        for (int x = 0; x < width; ++x) {
            out[x] = PaletteColour(palette, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
        }
        break;
    case 8:
        for (int x = 0; x < width; ++x) {
            out[x] = PaletteColour(palette, row[x]);
        }
        break;
    case 16:
    case 32:
        for (int x = 0; x < width; ++x) {
            if (h.bitCount == 32 && !h.hasMasks) {
                const uint8_t* p = row + 4 * x;
                out[x] = MakePixel(p[2], p[1], p[0], p[3]);
                continue;
            }
            const uint32_t value = h.bitCount == 16 ? ReadLe16(row + 2 * x) : ReadLe32(row + 4 * x);
            out[x] = MakePixel(fields[0].Extract(value), fields[1].Extract(value), fields[2].Extract(value),
                               fields[3].Present() ? fields[3].Extract(value) : 255);
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + 3 * x;
            out[x] = MakePixel(p[2], p[1], p[0]);
        }
        break;
    }
}

// Most pixels a byte of run-length data can reach: a 2-byte run paints 255, an end-of-line code
// skips the rest of a row, with room for pictures that leave much of themselves blank.
constexpr uint64_t kRlePixelsPerByte = 1024;

// Run-length encoded rows (bottom-up) over a picture filled with the first palette colour, which
// is what other decoders show where the runs skip pixels or never reach. Runs that reach past the
// end of their row are cut there. Fails when the data ends before the end-of-bitmap code, for an
// index beyond the palette, and for runs in rows above the last one (bmpsuite's b/badrle.bmp).
bool DecodeRle(const DibHeader& h, const uint8_t* data, size_t size, const std::vector<uint32_t>& palette,
               Picture& picture) {
    const bool four = h.compression == kBiRle4;
    int64_t x = 0;
    int64_t row = 0; // counted from the bottom
    // Paints a run of count pixels, index(i) its ith, within the row.
    auto putRun = [&](unsigned count, auto index) {
        if (row >= picture.height) {
            return false;
        }
        if (x >= picture.width) {
            x += count;
            return true; // past the end of the row: nothing to paint
        }
        const unsigned inRow = static_cast<unsigned>(std::min<int64_t>(count, picture.width - x));
        uint32_t* out = &picture.At(static_cast<int>(x), picture.height - 1 - static_cast<int>(row));
        for (unsigned i = 0; i < inRow; ++i) {
            const uint32_t colour = PaletteColour(palette, index(i));
            if (colour == kOutOfPalette) {
                return false;
            }
            out[i] = colour;
        }
        x += count;
        return true;
    };
    size_t pos = 0;
    while (pos + 2 <= size) {
        const unsigned count = data[pos];
        const unsigned value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (!putRun(count,
                        [&](unsigned i) { return four ? ((i & 1) ? (value & 15) : (value >> 4)) : value; })) {
                return false;
            }
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++row;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta
            if (pos + 2 > size) {
                return false;
            }
            x += data[pos];
            row += data[pos + 1];
            pos += 2;
            break;
        default: { // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (size - pos < padded) {
                return false;
            }
            const uint8_t* run = data + pos;
            if (!putRun(value, [&](unsigned i) {
                    return four ? ((run[i / 2] >> ((i & 1) ? 0 : 4)) & 15) : run[i];
                })) {
                return false;
            }
            pos += padded;
            break;
        }
        }
        if (row > picture.height + 256) {
            return true; // far past the last row: nothing more can be drawn
        }
    }
    return false;
}

// A bitmap file whose colour data is a whole JPEG or PNG file.
std::optional<Picture> DecodeEmbedded(const DibHeader& h, const uint8_t* bits, size_t size) {
    const size_t length = h.sizeImage ? std::min<size_t>(h.sizeImage, size) : size;
    return h.compression == kBiJpeg ? DecodeJpeg(bits, length) : DecodePng(bits, length);
}

bool AllAlphaZero(const Picture& picture) {
    return std::all_of(picture.pixels.begin(), picture.pixels.end(),
                       [](uint32_t pixel) { return PixelAlpha(pixel) == 0; });
}

void MakeOpaque(Picture& picture) {
    for (uint32_t& pixel : picture.pixels) {
        pixel |= 0xFF000000u;
    }
    picture.alpha = PictureAlpha::Opaque;
}

// A bitmap whose header starts at data[headerPos]; bitsPos is where the colour bits start,
// 0 for right after the palette.
std::optional<Picture> DecodeDib(const uint8_t* data, size_t size, size_t headerPos, uint64_t bitsPos,
                                 bool icon) {
    if (headerPos >= size) {
        return std::nullopt;
    }
    DibHeader h;
    if (!ReadDibHeader(data + headerPos, size - headerPos, icon, h) || !CombinationSupported(h) ||
        !PictureSizeAllowed(h.width, h.height)) {
        return std::nullopt;
    }
    const bool rle = h.compression == kBiRle4 || h.compression == kBiRle8;
    if (rle && (h.topDown || icon)) {
        return std::nullopt; // run-length data is always bottom-up, and icons never use it
    }

    const uint64_t paletteStart = headerPos + uint64_t(h.headerSize) + h.masksAfterHeader;
    const uint64_t paletteBytes = h.paletteEntries * h.paletteEntrySize;
    // Some writers leave the palette out of the bits offset: the bits follow the palette all the same.
    if (bitsPos == 0 || (h.bitCount <= 8 && bitsPos == paletteStart)) {
        bitsPos = paletteStart + paletteBytes;
    }
    // A file's header also gives the bytes of its colour data; more than it holds is damage.
    if (bitsPos > size || (!icon && h.sizeImage > size - bitsPos)) {
        return std::nullopt;
    }
    if (h.compression == kBiJpeg || h.compression == kBiPng) {
        return icon ? std::nullopt : DecodeEmbedded(h, data + bitsPos, size - static_cast<size_t>(bitsPos));
    }
    const bool indexed = h.bitCount <= 8;
    // A palette longer than the depth can index is stored whole before the bits; a longer claim
    // is damage.
    if (indexed && h.paletteEntries > (1u << h.bitCount) && paletteStart + paletteBytes > bitsPos) {
        return std::nullopt;
    }
    std::vector<uint32_t> palette;
    if (indexed) {
        uint64_t entries = std::min<uint64_t>(h.paletteEntries, 1u << h.bitCount);
        if (bitsPos >= paletteStart) {
            // Writers that leave the colour count at 0 with a shorter palette: the bits bound it.
            entries = std::min<uint64_t>(entries, (bitsPos - paletteStart) / h.paletteEntrySize);
        }
        if (paletteStart + entries * h.paletteEntrySize > size) {
            return std::nullopt;
        }
        palette.reserve(static_cast<size_t>(entries));
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* p = data + paletteStart + i * h.paletteEntrySize;
            palette.push_back(MakePixel(p[2], p[1], p[0]));
        }
    }

    Picture picture;
    if (rle) {
        const uint32_t background = palette.empty() ? MakePixel(0, 0, 0) : palette[0];
        if (!DataCanFill(h.width, h.height, size - bitsPos, kRlePixelsPerByte) ||
            !AllocatePicture(picture, h.width, h.height, background) ||
            !DecodeRle(h, data + bitsPos, size - static_cast<size_t>(bitsPos), palette, picture)) {
            return std::nullopt;
        }
        return picture;
    }

    // Width and height are within the limits, so these products stay far below 2^64.
    const uint64_t stride = (uint64_t(h.width) * h.bitCount + 31) / 32 * 4;
    const uint64_t colourBytes = stride * h.height;
    const uint64_t maskStride = (uint64_t(h.width) + 31) / 32 * 4;
    const uint64_t maskBytes = icon ? maskStride * h.height : 0;
    if (colourBytes + maskBytes > size - bitsPos) {
        return std::nullopt;
    }
    if (!AllocatePicture(picture, h.width, h.height)) {
        return std::nullopt;
    }

    BitField fields[4];
    if (h.hasMasks) {
        for (int i = 0; i < 4; ++i) {
            fields[i] = BitField(h.masks[i]);
        }
    } else if (h.bitCount == 16) {
        fields[0] = BitField(0x7C00);
        fields[1] = BitField(0x03E0);
        fields[2] = BitField(0x001F);
    }
    auto outputRow = [&](uint64_t storedRow) {
        return static_cast<int>(h.topDown ? storedRow : h.height - 1 - storedRow);
    };
    for (uint64_t r = 0; r < uint64_t(h.height); ++r) {
        DecodeRow(h, data + bitsPos + r * stride, palette, fields, &picture.At(0, outputRow(r)));
    }
    if (indexed &&
        std::find(picture.pixels.begin(), picture.pixels.end(), kOutOfPalette) != picture.pixels.end()) {
        return std::nullopt;
    }

    // An alpha mask means the file's alpha, even zero everywhere, as other decoders read it. An
    // icon's 32-bit image with alpha zero everywhere was made for its AND mask, which then decides,
    // as Windows draws such icons.
    const bool ownAlpha = fields[3].Present() || (h.bitCount == 32 && !h.hasMasks && icon);
    if (ownAlpha && !(icon && AllAlphaZero(picture))) {
        picture.alpha = PictureAlpha::AlphaChannel;
        return picture;
    }
    MakeOpaque(picture);
    if (icon) {
        const uint8_t* mask = data + bitsPos + colourBytes;
        for (uint64_t r = 0; r < uint64_t(h.height); ++r) {
            const uint8_t* bits = mask + r * maskStride;
            uint32_t* out = &picture.At(0, outputRow(r));
            for (int x = 0; x < picture.width; ++x) {
                if ((bits[x >> 3] >> (7 - (x & 7))) & 1) {
                    out[x] &= 0x00FFFFFFu;
                }
            }
        }
        picture.alpha = PictureAlpha::TransparentPixels;
    }
    return picture;
}

} // namespace

std::optional<Picture> DecodeBmp(const uint8_t* data, size_t size) {
    // The file header's size may be 0, but never more than the file holds.
    if (!data || size < kFileHeaderSize || data[0] != 'B' || data[1] != 'M' || ReadLe32(data + 2) > size) {
        return std::nullopt;
    }
    auto picture = DecodeDib(data, size, kFileHeaderSize, ReadLe32(data + 10), false);
    if (picture) {
        picture->format = PictureFormat::Bmp;
    }
    return picture;
}

std::optional<Picture> DecodeIconBitmap(const uint8_t* data, size_t size) {
    if (!data) {
        return std::nullopt;
    }
    auto picture = DecodeDib(data, size, 0, 0, true);
    if (picture) {
        picture->format = PictureFormat::Ico;
    }
    return picture;
}
