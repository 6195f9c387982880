// Icon files: a directory of images, each a bitmap with an AND mask or a complete PNG. The
// sizes are taken from the images' own headers, since directory entries often say 0 or lie.
#include "IcoDecoder.h"

#include "BmpDecoder.h"
#include "PngDecoder.h"

#include <algorithm>

namespace {

constexpr size_t kIconHeaderSize = 6;
constexpr size_t kEntrySize = 16;
// Real icons hold a handful of images; a directory of thousands only costs time.
constexpr size_t kMaxAttempts = 16;

struct Candidate {
    int64_t pixels;
    int bitCount;
    size_t offset;
    size_t length;
    bool png;
};

// Size and depth from the image's own header; false when it has none that could decode.
bool Inspect(const uint8_t* image, size_t length, Candidate& candidate) {
    int64_t width = 0;
    int64_t height = 0;
    if (HasPngSignature(image, length)) {
        if (length < 33) { // signature, then the IHDR chunk
            return false;
        }
        candidate.png = true;
        width = ReadBe32(image + 16);
        height = ReadBe32(image + 20);
        candidate.bitCount = 32;
    } else if (length >= 12 && ReadLe32(image) == 12) {
        width = ReadLe16(image + 4);
        height = ReadLe16(image + 6) / 2;
        candidate.bitCount = ReadLe16(image + 10);
    } else if (length >= 40) {
        width = int32_t(ReadLe32(image + 4));
        height = int32_t(ReadLe32(image + 8));
        height = (height < 0 ? -height : height) / 2;
        candidate.bitCount = ReadLe16(image + 14);
    } else {
        return false;
    }
    if (!PictureSizeAllowed(width, height)) {
        return false;
    }
    candidate.pixels = width * height;
    return true;
}

} // namespace

std::optional<Picture> DecodeIco(const uint8_t* data, size_t size) {
    if (!data || size < kIconHeaderSize || ReadLe16(data) != 0 || ReadLe16(data + 2) != 1) {
        return std::nullopt;
    }
    const size_t count = ReadLe16(data + 4);
    if (count == 0 || kIconHeaderSize + count * kEntrySize > size) {
        return std::nullopt;
    }
    std::vector<Candidate> candidates;
    candidates.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kIconHeaderSize + i * kEntrySize;
        const uint64_t length = ReadLe32(entry + 8);
        const uint64_t offset = ReadLe32(entry + 12);
        if (length == 0 || offset + length > size) {
            continue;
        }
        Candidate candidate = {0, 0, static_cast<size_t>(offset), static_cast<size_t>(length), false};
        if (Inspect(data + offset, candidate.length, candidate)) {
            candidates.push_back(candidate);
        }
    }
    // Entries that share an image are tried once.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.length > b.length;
    });
    candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                 [](const Candidate& a, const Candidate& b) { return a.offset == b.offset; }),
                     candidates.end());
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.pixels != b.pixels ? a.pixels > b.pixels : a.bitCount > b.bitCount;
    });
    candidates.resize(std::min(candidates.size(), kMaxAttempts));
    for (const Candidate& candidate : candidates) {
        const uint8_t* image = data + candidate.offset;
        auto picture =
            candidate.png ? DecodePng(image, candidate.length) : DecodeIconBitmap(image, candidate.length);
        if (picture) {
            picture->format = PictureFormat::Ico;
            return picture;
        }
    }
    return std::nullopt;
}
