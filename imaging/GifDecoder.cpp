// GIF decoding from memory: every read is checked against the end of the data, and the LZW
// codes are decoded straight into the picture, so the picture is all that is allocated.
#include "GifDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kMaxCodeBits = 12;
constexpr unsigned kMaxCodes = 1u << kMaxCodeBits;
// Most pixels a byte of LZW data can give: a 12-bit code stands for at most 4096 of them.
constexpr uint64_t kLzwPixelsPerByte = kMaxCodes * 8 / kMaxCodeBits;
constexpr int kNoTransparency = -1;

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    // The next count bytes, or null when the data ends before them.
    const uint8_t* Take(size_t count) {
        if (m_size - m_position < count) {
            return nullptr;
        }
        const uint8_t* taken = m_data + m_position;
        m_position += count;
        return taken;
    }
    size_t Size() const { return m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// A colour table of 2^(bits + 1) entries, present when the flags' top bit says so.
bool ReadColourTable(Reader& reader, uint8_t flags, std::vector<uint32_t>& table) {
    if (!(flags & 0x80)) {
        return true;
    }
    const size_t entries = size_t(2) << (flags & 7);
    const uint8_t* p = reader.Take(entries * 3);
    if (!p) {
        return false;
    }
    table.clear();
    for (size_t i = 0; i < entries; ++i, p += 3) {
        table.push_back(MakePixel(p[0], p[1], p[2]));
    }
    return true;
}

// The data sub-blocks up to their terminator, joined into `joined` unless it is null. Fails when
// the data ends first.
bool ReadSubBlocks(Reader& reader, std::vector<uint8_t>* joined) {
    for (;;) {
        const uint8_t* length = reader.Take(1);
        if (!length) {
            return false;
        }
        if (*length == 0) {
            return true;
        }
        const uint8_t* block = reader.Take(*length);
        if (!block) {
            return false;
        }
        if (joined) {
            joined->insert(joined->end(), block, block + *length);
        }
    }
}

// Without any colour table, indices are grey levels, as other decoders show such files.
std::vector<uint32_t> GreyRamp() {
    std::vector<uint32_t> ramp;
    for (unsigned i = 0; i < 256; ++i) {
        ramp.push_back(MakePixel(uint8_t(i), uint8_t(i), uint8_t(i)));
    }
    return ramp;
}

struct FrameLayout {
    int left, top, width, height;
    bool interlaced;
};

// Puts decoded pixels in the frame's rows, in the order they are stored (four passes when
// interlaced), onto the picture; pixels outside it are dropped.
class FrameWriter {
public:
    FrameWriter(Picture& picture, const FrameLayout& frame, const std::vector<uint32_t>& colours,
                int transparent)
        : m_picture(picture), m_frame(frame), m_colours(colours), m_transparent(transparent) {}

    bool Full() const { return m_row >= m_frame.height; }

    // False for an index beyond the colour table.
    bool Put(unsigned index) {
        if (int(index) != m_transparent) {
            if (index >= m_colours.size()) {
                return false;
            }
            const int64_t x = int64_t(m_frame.left) + m_x;
            const int64_t y = int64_t(m_frame.top) + m_row;
            if (x < m_picture.width && y < m_picture.height) {
                m_picture.At(int(x), int(y)) = m_colours[index];
            }
        }
        if (++m_x == m_frame.width) {
            m_x = 0;
            NextRow();
        }
        return true;
    }

private:
    void NextRow() {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        if (!m_frame.interlaced) {
            ++m_row;
            return;
        }
        m_row += kStep[m_pass];
        while (m_row >= m_frame.height && m_pass < 3) {
            m_row = kStart[++m_pass];
        }
    }

    Picture& m_picture;
    const FrameLayout& m_frame;
    const std::vector<uint32_t>& m_colours;
    int m_transparent;
    int m_x = 0;
    int m_row = 0;
    int m_pass = 0;
};

// Decodes LZW codes of minCodeSize-bit literals until the end code, the end of the data or a
// full frame; pixels never reached stay transparent. False for a code not yet in the table or
// a colour beyond the table.
bool DecodeLzw(const std::vector<uint8_t>& codes, unsigned minCodeSize, FrameWriter& out) {
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    std::vector<uint16_t> prefix(kMaxCodes), suffix(kMaxCodes), first(kMaxCodes), stack;
    stack.reserve(kMaxCodes);
    for (unsigned i = 0; i < clear; ++i) {
        suffix[i] = first[i] = uint16_t(i);
    }
    unsigned codeSize = minCodeSize + 1;
    unsigned next = end + 1;
    int previous = -1;
    uint32_t bits = 0;
    unsigned bitCount = 0;
    size_t position = 0;
    while (!out.Full()) {
        while (bitCount < codeSize) {
            if (position == codes.size()) {
                return true;
            }
            bits |= uint32_t(codes[position++]) << bitCount;
            bitCount += 8;
        }
        const unsigned code = bits & ((1u << codeSize) - 1);
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end) {
            return true;
        }
        if (previous < 0) {
            if (code > clear) {
                return false;
            }
        } else if (code < next || (code == next && next < kMaxCodes)) {
            if (next < kMaxCodes) {
                prefix[next] = uint16_t(previous);
                first[next] = first[previous];
                suffix[next] = code == next ? first[previous] : first[code];
                ++next;
                if (next == (1u << codeSize) && codeSize < kMaxCodeBits) {
                    ++codeSize;
                }
            }
        } else {
            return false;
        }
        stack.clear();
        unsigned c = code;
        for (; c >= clear; c = prefix[c]) {
            stack.push_back(suffix[c]);
        }
        stack.push_back(uint16_t(c));
        for (auto index = stack.rbegin(); index != stack.rend() && !out.Full(); ++index) {
            if (!out.Put(*index)) {
                return false;
            }
        }
        previous = int(code);
    }
    return true;
}

// Skips an extension record; a graphic control block names the transparent index of the next
// frame.
bool ReadExtension(Reader& reader, int& transparent) {
    const uint8_t* label = reader.Take(1);
    const uint8_t* length = label ? reader.Take(1) : nullptr;
    const uint8_t* block = length ? reader.Take(*length) : nullptr;
    if (!block) {
        return false;
    }
    if (*label == 0xF9 && *length >= 4) {
        transparent = (block[0] & 1) ? block[3] : kNoTransparency;
    }
    return *length == 0 || ReadSubBlocks(reader, nullptr);
}

// A transparent canvas of the logical screen's size, for files whose first image has no pixels.
std::optional<Picture> EmptyCanvas(int64_t screenWidth, int64_t screenHeight, size_t dataBytes) {
    Picture picture;
    if (!DataCanFill(screenWidth, screenHeight, dataBytes, kLzwPixelsPerByte) ||
        !AllocatePicture(picture, screenWidth, screenHeight, 0)) {
        return std::nullopt;
    }
    picture.alpha = PictureAlpha::TransparentPixels;
    picture.format = PictureFormat::Gif;
    return picture;
}

// The frame whose descriptor follows, on a canvas of the logical screen's size.
std::optional<Picture> ReadFrame(Reader& reader, int64_t screenWidth, int64_t screenHeight,
                                 const std::vector<uint32_t>& globalColours, int transparent) {
    const uint8_t* d = reader.Take(9);
    if (!d) {
        return std::nullopt;
    }
    const FrameLayout frame = {ReadLe16(d), ReadLe16(d + 2), ReadLe16(d + 4), ReadLe16(d + 6),
                               (d[8] & 0x40) != 0};
    if (frame.width == 0 || frame.height == 0) {
        // Nothing to draw, and so nothing more to read: the GIF test suite shows the empty screen.
        return EmptyCanvas(screenWidth, screenHeight, reader.Size());
    }
    std::vector<uint32_t> localColours;
    if (!ReadColourTable(reader, d[8], localColours)) {
        return std::nullopt;
    }
    // Other decoders take minimum code sizes up to 11, whose codes still fit in 12 bits.
    const uint8_t* minCodeSize = reader.Take(1);
    std::vector<uint8_t> codes;
    if (!minCodeSize || *minCodeSize < 1 || *minCodeSize >= kMaxCodeBits || !ReadSubBlocks(reader, &codes)) {
        return std::nullopt;
    }
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = int64_t(frame.left) + frame.width;
        screenHeight = int64_t(frame.top) + frame.height;
    }
    Picture picture;
    if (!DataCanFill(frame.width, frame.height, reader.Size(), kLzwPixelsPerByte) ||
        !DataCanFill(screenWidth, screenHeight, reader.Size(), kLzwPixelsPerByte) ||
        !AllocatePicture(picture, screenWidth, screenHeight, 0)) {
        return std::nullopt;
    }
    const std::vector<uint32_t> grey =
        localColours.empty() && globalColours.empty() ? GreyRamp() : std::vector<uint32_t>();
    const std::vector<uint32_t>& colours = !localColours.empty()    ? localColours
                                           : !globalColours.empty() ? globalColours
                                                                    : grey;
    FrameWriter writer(picture, frame, colours, transparent);
    if (!DecodeLzw(codes, *minCodeSize, writer)) {
        return std::nullopt;
    }
    const bool anyTransparent = std::any_of(picture.pixels.begin(), picture.pixels.end(),
                                            [](uint32_t pixel) { return PixelAlpha(pixel) == 0; });
    picture.alpha = anyTransparent ? PictureAlpha::TransparentPixels : PictureAlpha::Opaque;
    picture.format = PictureFormat::Gif;
    return picture;
}

} // namespace

std::optional<Picture> DecodeGif(const uint8_t* data, size_t size) {
    if (!data || size < 13 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0)) {
        return std::nullopt;
    }
    Reader reader(data, size);
    const uint8_t* screen = reader.Take(13);
    std::vector<uint32_t> globalColours;
    if (!ReadColourTable(reader, screen[10], globalColours)) {
        return std::nullopt;
    }
    int transparent = kNoTransparency;
    for (;;) {
        const uint8_t* introducer = reader.Take(1);
        if (!introducer) {
            return std::nullopt;
        }
        if (*introducer == 0x2C) {
            return ReadFrame(reader, ReadLe16(screen + 6), ReadLe16(screen + 8), globalColours, transparent);
        }
        if (*introducer == 0x3B) {
            // The trailer before any frame: the GIF test suite shows the empty screen.
            return EmptyCanvas(ReadLe16(screen + 6), ReadLe16(screen + 8), reader.Size());
        }
        if (*introducer != 0x21) {
            return std::nullopt; // an unknown record
        }
        if (!ReadExtension(reader, transparent)) {
            return std::nullopt;
        }
    }
}
