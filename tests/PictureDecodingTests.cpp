// Picture decoding: good files of every format written by the tests, damaged variants, and
// recognition of the format from the content of files.
#include <windows.h>

#include "GdiHandles.h"
#include "PictureCache.h"
#include "PictureDecoder.h"
#include "PictureFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

std::optional<Picture> Decode(const Bytes& bytes) {
    return DecodePicture(bytes.data(), bytes.size());
}

// Every prefix of the file shorter than `upTo` bytes must give no picture.
void ExpectEveryPrefixFails(const Bytes& bytes, size_t upTo) {
    ASSERT_LE(upTo, bytes.size());
    for (size_t length = 0; length < upTo; ++length) {
        const Bytes part = Prefix(bytes, length);
        EXPECT_FALSE(DecodePicture(part.data(), part.size()))
            << "decoded from the first " << length << " bytes";
    }
}

// A 3 x 2 test card: 0xRRGGBB for each pixel, y counted from the top.
uint32_t Card(int x, int y) {
    static const uint32_t kColours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x0A141E}};
    return kColours[y][x];
}

void ExpectCard(const std::optional<Picture>& picture) {
    ASSERT_TRUE(picture);
    ASSERT_EQ(3, picture->width);
    ASSERT_EQ(2, picture->height);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(0xFF000000u | Card(x, y), picture->At(x, y)) << x << "," << y;
        }
    }
}

// Pictures of the other formats, made where their tests are.
PngSpec CardPng();
JpegSpec Quadrants(int components);
void ExpectQuadrants(const std::optional<Picture>& picture);

// --- BMP ------------------------------------------------------------------------------------------

BmpLayout Card24(bool topDown) {
    BmpLayout layout;
    layout.width = 3;
    layout.height = topDown ? -2 : 2;
    layout.bitCount = 24;
    layout.bits = PackBitmapRows(3, 2, 24, [&](int x, int row) { return Card(x, topDown ? row : 1 - row); });
    return layout;
}

TEST(PictureBmp, DirectColourDepthsAndOrientations) {
    ExpectCard(Decode(EncodeBmp(Card24(false))));
    ExpectCard(Decode(EncodeBmp(Card24(true))));
    EXPECT_EQ(PictureFormat::Bmp, Decode(EncodeBmp(Card24(false)))->format);
    EXPECT_EQ(PictureAlpha::Opaque, Decode(EncodeBmp(Card24(false)))->alpha);

    // 32 bits without masks: the fourth byte is not alpha in a BMP file.
    BmpLayout layout = Card24(false);
    layout.bitCount = 32;
    layout.bits = PackBitmapRows(3, 2, 32, [](int x, int row) { return 0x12000000u | Card(x, 1 - row); });
    auto picture = Decode(EncodeBmp(layout));
    ExpectCard(picture);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);

    // The 12-byte core header.
    layout = Card24(true);
    layout.headerSize = 12;
    layout.height = 2;
    layout.bits = PackBitmapRows(3, 2, 24, [](int x, int row) { return Card(x, 1 - row); });
    ExpectCard(Decode(EncodeBmp(layout)));
}

TEST(PictureBmp, BitFieldsWithAndWithoutAlpha) {
    // 16 bits without masks are 5-5-5.
    BmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bitCount = 16;
    layout.bits = PackBitmapRows(2, 1, 16, [](int x, int) { return x == 0 ? 0x7C00u : 0x0210u; });
    auto picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(MakePixel(255, 0, 0), picture->At(0, 0));
    EXPECT_EQ(MakePixel(0, 132, 132), picture->At(1, 0)); // 16 of 31 scales to 132

    // 5-6-5 masks after an information header.
    layout.compression = 3;
    layout.masks = {0xF800, 0x07E0, 0x001F};
    layout.bits = PackBitmapRows(2, 1, 16, [](int x, int) { return x == 0 ? 0x07E0u : 0x001Fu; });
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(MakePixel(0, 255, 0), picture->At(0, 0));
    EXPECT_EQ(MakePixel(0, 0, 255), picture->At(1, 0));

    // 32 bits: a version 5 header with an alpha mask gives an alpha channel, colours not premultiplied.
    layout.bitCount = 32;
    layout.headerSize = 124;
    layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    layout.bits = PackBitmapRows(2, 1, 32, [](int x, int) { return x == 0 ? 0x80FF0000u : 0x00000000u; });
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha);
    EXPECT_EQ(0x80FF0000u, picture->At(0, 0));
    EXPECT_EQ(0u, PixelAlpha(picture->At(1, 0)));
}

// An alpha mask means the file's alpha, zero everywhere included, as Pillow and ImageMagick read
// ImageMagick's ARGB1555 and ARGB4444 subtypes and Pillow's rgb32bf-abgr.bmp (version 5 headers).
TEST(PictureBmp, AlphaMasksKeepTheirAlphaEvenWhenZeroEverywhere) {
    const std::vector<uint32_t> argb1555 = {0x7C00, 0x03E0, 0x001F, 0x8000};
    const std::vector<uint32_t> argb4444 = {0x0F00, 0x00F0, 0x000F, 0xF000};
    const std::vector<uint32_t> abgr = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    const struct {
        const char* name;
        uint16_t bitCount;
        std::vector<uint32_t> masks; // red, green, blue, alpha
        uint32_t stored[2];
        uint32_t expected[2];
    } rows[] = {
        {"ARGB1555", 16, argb1555, {0xFC00, 0x03E0}, {0xFFFF0000, 0x0000FF00}},
        {"ARGB1555 all transparent", 16, argb1555, {0x7C00, 0x03E0}, {0x00FF0000, 0x0000FF00}},
        {"ARGB4444", 16, argb4444, {0x7F00, 0xF0F0}, {0x77FF0000, 0xFF00FF00}},
        {"ARGB4444 all transparent", 16, argb4444, {0x0F00, 0x00F0}, {0x00FF0000, 0x0000FF00}},
        {"ABGR all transparent", 32, abgr, {0x000000FF, 0x0000FF00}, {0x00FF0000, 0x0000FF00}},
    };
    for (const auto& row : rows) {
        BmpLayout layout;
        layout.headerSize = 124;
        layout.width = 2;
        layout.height = 1;
        layout.bitCount = row.bitCount;
        layout.compression = 3;
        layout.masks = row.masks;
        layout.bits = PackBitmapRows(2, 1, row.bitCount, [&](int x, int) { return row.stored[x]; });
        const auto picture = Decode(EncodeBmp(layout));
        ASSERT_TRUE(picture) << row.name;
        EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha) << row.name;
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(row.expected[x], picture->At(x, 0))
                << row.name << " " << x << std::hex << ": " << picture->At(x, 0);
        }
    }
}

TEST(PictureBmp, PalettedDepths) {
    BmpLayout layout;
    layout.width = 9; // crosses a byte boundary at 1 bit and 4 bits per pixel
    layout.height = 2;
    layout.bitCount = 1;
    layout.palette = {0x0000FF, 0xFFFF00};
    layout.bits = PackBitmapRows(9, 2, 1, [](int x, int row) { return uint32_t((x + row) % 2); });
    auto picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    for (int x = 0; x < 9; ++x) {
        // Stored row 0 is the bottom one.
        EXPECT_EQ(x % 2 ? MakePixel(255, 255, 0) : MakePixel(0, 0, 255), picture->At(x, 1)) << x;
        EXPECT_EQ(x % 2 ? MakePixel(0, 0, 255) : MakePixel(255, 255, 0), picture->At(x, 0)) << x;
    }

    // 4 bits with a short palette; an index past its end makes the file broken.
    layout.bitCount = 4;
    layout.colorsUsed = 3;
    layout.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    layout.bits = PackBitmapRows(9, 2, 4, [](int x, int) { return uint32_t(x % 3); });
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(MakePixel(255, 0, 0), picture->At(0, 0));
    EXPECT_EQ(MakePixel(0, 255, 0), picture->At(1, 0));
    EXPECT_EQ(MakePixel(0, 0, 255), picture->At(2, 0));
    EXPECT_EQ(MakePixel(0, 0, 255), picture->At(8, 1));

    // A bits offset that points at the palette, as some writers leave it: the bits follow it.
    Bytes offset = EncodeBmp(layout);
    PutLe32(offset, 10, 14 + 40);
    const auto shifted = Decode(offset);
    ASSERT_TRUE(shifted);
    EXPECT_EQ(picture->pixels, shifted->pixels);
    layout.bits[1] = 0x09;
    EXPECT_FALSE(Decode(EncodeBmp(layout)));

    // 8 bits with the 3-byte palette entries of a core header.
    layout = BmpLayout();
    layout.headerSize = 12;
    layout.width = 2;
    layout.height = 2;
    layout.bitCount = 8;
    layout.palette.assign(256, 0);
    layout.palette[7] = 0x102030;
    layout.palette[200] = 0xA0B0C0;
    layout.bits = PackBitmapRows(2, 2, 8, [](int, int row) { return uint32_t(row == 0 ? 7 : 200); });
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(MakePixel(0xA0, 0xB0, 0xC0), picture->At(1, 0));
    EXPECT_EQ(MakePixel(0x10, 0x20, 0x30), picture->At(0, 1));
}

// Files that stretch the format, read as bmpsuite renders them: a 2-bit palette (Windows CE's,
// q/pal2.bmp), a palette longer than 8 bits can index (q/pal8oversizepal.bmp), and a PNG file as
// the colour data (q/rgb24png.bmp; a JPEG file alike).
TEST(PictureBmp, TwoBitAndLongPalettesAndEmbeddedFiles) {
    BmpLayout layout;
    layout.width = 5;
    layout.height = 1;
    layout.bitCount = 2;
    layout.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    layout.bits = PackBitmapRows(5, 1, 2, [](int x, int) { return uint32_t(x % 4); });
    auto picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(0xFF000000u | layout.palette[x % 4], picture->At(x, 0)) << x;
    }

    layout.width = 2;
    layout.bitCount = 8;
    layout.colorsUsed = 300;
    layout.palette.assign(300, 0x123456);
    layout.palette[255] = 0x00FF00;
    layout.bits = {255, 0, 0, 0};
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(MakePixel(0, 255, 0), picture->At(0, 0));
    EXPECT_EQ(MakePixel(0x12, 0x34, 0x56), picture->At(1, 0));
    // More colours claimed than are stored before the bits.
    layout.palette.resize(256);
    EXPECT_FALSE(Decode(EncodeBmp(layout)));

    BmpLayout embedded;
    embedded.headerSize = 124;
    embedded.width = 3;
    embedded.height = 2;
    embedded.bitCount = 0;
    embedded.compression = 5;
    embedded.bits = EncodePng(CardPng());
    picture = Decode(EncodeBmp(embedded));
    ExpectCard(picture);
    EXPECT_EQ(PictureFormat::Bmp, picture->format);
    embedded.compression = 4;
    embedded.bits = EncodeJpeg(Quadrants(3));
    ExpectQuadrants(Decode(EncodeBmp(embedded)));
}

TEST(PictureBmp, RunLengthEncoding) {
    BmpLayout layout;
    layout.width = 4;
    layout.height = 3;
    layout.bitCount = 8;
    layout.compression = 1;
    // Three palette entries although the colour count says all 256: the bits offset bounds them.
    layout.palette = {0x000000, 0xFF0000, 0x00FF00};
    layout.bits = {
        4, 1, 0, 0,             // bottom row: four of index 1, end of line
        0, 3, 2, 1, 2, 0, 0, 0, // middle row: absolute 2 1 2 (padded), end of line
        0, 2, 2, 0,             // top row: skip two pixels,
        2, 2, 0, 1,             // two of index 2, end of bitmap
    };
    auto picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    const uint32_t red = MakePixel(255, 0, 0);
    const uint32_t green = MakePixel(0, 255, 0);
    // Pixels the runs skip or never reach have the first palette colour, as Pillow and
    // ImageMagick show bmpsuite's q/pal4rletrns.bmp and q/pal8rletrns.bmp.
    const uint32_t first = MakePixel(0, 0, 0);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(red, picture->At(x, 2));
    }
    EXPECT_EQ(green, picture->At(0, 1));
    EXPECT_EQ(red, picture->At(1, 1));
    EXPECT_EQ(green, picture->At(2, 1));
    EXPECT_EQ(first, picture->At(3, 1)); // never reached
    EXPECT_EQ(first, picture->At(0, 0)); // skipped by the delta
    EXPECT_EQ(first, picture->At(1, 0));
    EXPECT_EQ(green, picture->At(2, 0));
    EXPECT_EQ(green, picture->At(3, 0));

    // Runs past the end of their row are cut there, as Pillow and ImageMagick read Pillow's
    // hopper_rle8_row_overflow.bmp: an encoded run, then an absolute one.
    layout.bits = {
        2, 1, 255, 2, 0, 0,       // bottom row: two of index 1, then 255 of index 2
        0, 6, 2,   2, 2, 1, 1, 1, // middle row: absolute 2 2 2 1 1 1
        0, 0, 4,   2, 0, 1,       // top row: four of index 2, end of bitmap
    };
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    const uint32_t rows[3][4] = {
        {green, green, green, green}, {green, green, green, red}, {red, red, green, green}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(rows[y][x], picture->At(x, y)) << x << "," << y;
        }
    }

    // Without the end-of-bitmap code the data is truncated.
    layout.bits.resize(layout.bits.size() - 2);
    EXPECT_FALSE(Decode(EncodeBmp(layout)));

    // 4 bits: an encoded run of alternating nibbles, then an absolute run; fully covered.
    layout.width = 8;
    layout.height = 1;
    layout.bitCount = 4;
    layout.compression = 2;
    layout.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    layout.bits = {5, 0x12, 0, 3, 0x12, 0x30, 0, 1};
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);
    const uint32_t expected[8] = {red, green, red, green, red, red, green, MakePixel(0, 0, 255)};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(expected[x], picture->At(x, 0)) << x;
    }

    // Run-length data is bottom-up only.
    layout.height = -1;
    EXPECT_FALSE(Decode(EncodeBmp(layout)));
}

TEST(PictureBmp, DamagedFilesGiveNoPicture) {
    const Bytes good = EncodeBmp(Card24(false));
    ExpectEveryPrefixFails(good, good.size());

    auto patched = [&](size_t at, uint32_t value, bool sixteen = false) {
        Bytes bytes = good;
        sixteen ? PutLe16(bytes, at, value) : PutLe32(bytes, at, value);
        return Decode(bytes);
    };
    // Offsets: bits offset 10; header size 14, width 18, height 22, bit count 28, compression 30,
    // colours used 46.
    EXPECT_FALSE(patched(18, 0));
    EXPECT_FALSE(patched(22, 0));
    EXPECT_FALSE(patched(18, 100000));
    EXPECT_FALSE(patched(22, 100000));
    EXPECT_FALSE(patched(18, 0xFFFFFFFD)); // negative width
    EXPECT_FALSE(patched(22, 0x80000000)); // the most negative height
    EXPECT_FALSE(patched(18, 8000));       // within the pixel limit, but far more rows than data
    EXPECT_FALSE(patched(10, 0x7FFFFFF0)); // bits beyond the file
    EXPECT_FALSE(patched(14, 0xFFFFFFFF)); // header larger than the file
    EXPECT_FALSE(patched(14, 20));         // no such header
    EXPECT_FALSE(patched(28, 7, true));
    EXPECT_FALSE(patched(28, 0, true));
    EXPECT_FALSE(patched(30, 1)); // run-length encoding at 24 bits
    EXPECT_FALSE(patched(30, 4)); // colour data that is no JPEG file
    EXPECT_FALSE(patched(30, 3)); // bit fields at 24 bits

    // A palette that claims more entries than the file holds.
    BmpLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.bitCount = 8;
    layout.colorsUsed = 0xFFFFFFFF;
    layout.palette = {0xFF0000};
    layout.bits = {0, 0, 0, 0};
    Bytes bytes = EncodeBmp(layout);
    PutLe32(bytes, 10, 0); // no bits offset: it would follow the huge palette
    EXPECT_FALSE(Decode(bytes));
}

// --- PNG ------------------------------------------------------------------------------------------

PngSpec CardPng() {
    PngSpec layout;
    layout.width = 3;
    layout.height = 2;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            layout.rows.push_back(uint8_t(Card(x, y) >> 16));
            layout.rows.push_back(uint8_t(Card(x, y) >> 8));
            layout.rows.push_back(uint8_t(Card(x, y)));
        }
    }
    return layout;
}

TEST(PicturePng, ColourTypesAndTransparency) {
    auto picture = Decode(EncodePng(CardPng()));
    ExpectCard(picture);
    EXPECT_EQ(PictureFormat::Png, picture->format);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);

    // RGBA keeps its alpha values and unpremultiplied colours.
    PngSpec layout;
    layout.width = 2;
    layout.height = 1;
    layout.colorType = 6;
    layout.rows = {255, 0, 0, 128, 0, 0, 255, 255};
    picture = Decode(EncodePng(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha);
    EXPECT_EQ(0x80FF0000u, picture->At(0, 0));
    EXPECT_EQ(0xFF0000FFu, picture->At(1, 0));

    // A palette with tRNS becomes an alpha channel.
    layout = PngSpec();
    layout.width = 2;
    layout.height = 2;
    layout.colorType = 3;
    layout.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    layout.alphas = {255, 0, 64};
    layout.rows = {0, 1, 2, 1};
    picture = Decode(EncodePng(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha);
    EXPECT_EQ(0xFFFF0000u, picture->At(0, 0));
    EXPECT_EQ(0u, PixelAlpha(picture->At(1, 0)));
    EXPECT_EQ(0x400000FFu, picture->At(0, 1));

    // An RGB colour key in tRNS makes that colour transparent.
    layout = CardPng();
    layout.keyRed = 0;
    layout.keyGreen = 255;
    layout.keyBlue = 0;
    picture = Decode(EncodePng(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha);
    EXPECT_EQ(0u, PixelAlpha(picture->At(1, 0)));
    EXPECT_EQ(0xFFFF0000u, picture->At(0, 0));
    EXPECT_EQ(0xFF0A141Eu, picture->At(2, 1));
}

TEST(PicturePng, Interlaced) {
    PngSpec layout;
    layout.width = 11;
    layout.height = 9;
    layout.interlaced = true;
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            layout.rows.insert(layout.rows.end(), {uint8_t(x * 20), uint8_t(y * 25), uint8_t(x * y)});
        }
    }
    const auto picture = Decode(EncodePng(layout));
    ASSERT_TRUE(picture);
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            EXPECT_EQ(MakePixel(uint8_t(x * 20), uint8_t(y * 25), uint8_t(x * y)), picture->At(x, y))
                << x << "," << y;
        }
    }
}

TEST(PicturePng, SixteenBitSamplesAreSrgbWithOrWithoutInterlacing) {
    PngSpec layout;
    layout.width = layout.height = 9;
    layout.bitDepth = 16;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            for (int sample : {51, x * 28, y * 28}) {
                layout.rows.insert(layout.rows.end(), {uint8_t(sample), uint8_t(sample)}); // sample * 257
            }
        }
    }
    const auto plain = Decode(EncodePng(layout));
    ASSERT_TRUE(plain);
    for (int i = 0; i < 81; ++i) {
        ASSERT_EQ(MakePixel(51, uint8_t(i % 9 * 28), uint8_t(i / 9 * 28)), plain->pixels[i]) << i;
    }
    layout.interlaced = true;
    const auto interlaced = Decode(EncodePng(layout));
    ASSERT_TRUE(interlaced);
    EXPECT_EQ(plain->pixels, interlaced->pixels);
}

TEST(PicturePng, DamagedFilesGiveNoPicture) {
    const Bytes good = EncodePng(CardPng());
    ASSERT_FALSE(good.empty());
    ExpectEveryPrefixFails(good, good.size());

    const size_t header = FindPngChunk(good, "IHDR");
    const size_t data = FindPngChunk(good, "IDAT");
    ASSERT_NE(std::string::npos, header);
    ASSERT_NE(std::string::npos, data);
    auto withSize = [&](uint32_t width, uint32_t height) {
        Bytes bytes = good;
        PutBe32(bytes, header, width);
        PutBe32(bytes, header + 4, height);
        FixPngCrc(bytes, header);
        return Decode(bytes);
    };
    EXPECT_TRUE(withSize(3, 2)); // the surgery itself keeps the file good
    EXPECT_FALSE(withSize(0, 2));
    EXPECT_FALSE(withSize(3, 0));
    EXPECT_FALSE(withSize(100000, 100000));
    EXPECT_FALSE(withSize(3, 200000)); // more rows than the data holds

    Bytes badCrc = good;
    badCrc[header] ^= 1;
    EXPECT_FALSE(Decode(badCrc));

    // Corrupt compressed data under a correct CRC.
    Bytes corrupt = good;
    for (size_t i = data + 2; i < data + 8; ++i) {
        corrupt[i] = 0xFF;
    }
    FixPngCrc(corrupt, data);
    EXPECT_FALSE(Decode(corrupt));
}

// --- JPEG -----------------------------------------------------------------------------------------

// 16 x 16 in four solid 8 x 8 quadrants.
JpegSpec Quadrants(int components) {
    static const uint32_t kColours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    JpegSpec layout;
    layout.width = 16;
    layout.height = 16;
    layout.components = components;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint32_t colour = kColours[(y / 8) * 2 + x / 8];
            if (components == 1) {
                layout.samples.push_back(uint8_t(x < 8 ? 40 : 210));
            } else {
                layout.samples.insert(layout.samples.end(),
                                      {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
            }
        }
    }
    return layout;
}

void ExpectQuadrants(const std::optional<Picture>& picture) {
    ASSERT_TRUE(picture);
    ASSERT_EQ(16, picture->width);
    ASSERT_EQ(16, picture->height);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);
    // Chroma is subsampled, so only the quadrants' inner pixels are compared, loosely.
    EXPECT_TRUE(ColourNear(0xFF0000, picture->At(3, 3), 40)) << "top left" << std::hex << picture->At(3, 3);
    EXPECT_TRUE(ColourNear(0x00FF00, picture->At(12, 3), 40))
        << "top right" << std::hex << picture->At(12, 3);
    EXPECT_TRUE(ColourNear(0x0000FF, picture->At(3, 12), 40))
        << "bottom left" << std::hex << picture->At(3, 12);
    EXPECT_TRUE(ColourNear(0xFFFF00, picture->At(12, 12), 40))
        << "bottom right" << std::hex << picture->At(12, 12);
    for (uint32_t pixel : picture->pixels) {
        ASSERT_EQ(255u, PixelAlpha(pixel));
    }
}

TEST(PictureJpeg, ColourGreyProgressiveAndCmyk) {
    auto picture = Decode(EncodeJpeg(Quadrants(3)));
    ExpectQuadrants(picture);
    EXPECT_EQ(PictureFormat::Jpeg, picture->format);

    JpegSpec layout = Quadrants(3);
    layout.progressive = true;
    ExpectQuadrants(Decode(EncodeJpeg(layout)));

    picture = Decode(EncodeJpeg(Quadrants(1)));
    ASSERT_TRUE(picture);
    for (uint32_t pixel : picture->pixels) {
        const uint8_t grey = pixel & 0xFF;
        ASSERT_EQ(MakePixel(grey, grey, grey), pixel);
    }
    EXPECT_NEAR(40, (picture->At(2, 5) >> 16) & 0xFF, 3);
    EXPECT_NEAR(210, (picture->At(13, 5) >> 16) & 0xFF, 3);

    // CMYK with an Adobe marker stores inverted inks: red is C=0 M=Y=full K=0, inverted.
    layout = JpegSpec();
    layout.width = 8;
    layout.height = 8;
    layout.components = 4;
    for (int i = 0; i < 64; ++i) {
        layout.samples.insert(layout.samples.end(), {255, 0, 0, 255});
    }
    picture = Decode(EncodeJpeg(layout));
    ASSERT_TRUE(picture);
    EXPECT_TRUE(ColourNear(0xFF0000, picture->At(4, 4), 6)) << "cmyk" << std::hex << picture->At(4, 4);
}

TEST(PictureJpeg, PhotosBeyondThePixelLimitAreDecodedSmaller) {
    JpegSpec layout;
    layout.width = 4200;
    layout.height = 4100;
    layout.components = 1;
    layout.samples.assign(size_t(4200) * 4100, 200);
    const auto picture = Decode(EncodeJpeg(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(2100, picture->width);
    EXPECT_EQ(2050, picture->height);
    EXPECT_NEAR(200, picture->At(1000, 1000) & 0xFF, 2);
}

// Where the coded pixels start: past the start-of-scan segment.
size_t JpegScanData(const Bytes& jpeg) {
    const size_t scan = FindJpegMarker(jpeg, 0xDA);
    return scan == std::string::npos ? scan : scan + 2 + ((size_t(jpeg[scan + 2]) << 8) | jpeg[scan + 3]);
}

TEST(PictureJpeg, DamagedFilesGiveNoPicture) {
    const Bytes good = EncodeJpeg(Quadrants(3));
    ASSERT_FALSE(good.empty());
    // Cut before its coded pixels, a file has nothing to show.
    ASSERT_NE(std::string::npos, JpegScanData(good));
    ExpectEveryPrefixFails(good, JpegScanData(good) + 1);

    const size_t frame = FindJpegMarker(good, 0xC0);
    ASSERT_NE(std::string::npos, frame);
    auto withSize = [&](uint32_t width, uint32_t height) {
        Bytes bytes = good;
        PutBe16(bytes, frame + 5, height);
        PutBe16(bytes, frame + 7, width);
        return Decode(bytes);
    };
    EXPECT_FALSE(withSize(16, 0));
    EXPECT_FALSE(withSize(0, 16));
    EXPECT_FALSE(withSize(65000, 65000));
    EXPECT_FALSE(withSize(2000, 4000)); // far more blocks than the scan can hold
}

// A file cut short or with damaged data shows what can be decoded, grey where nothing can, as
// ImageMagick shows Pillow's truncated_jpeg.jpg, and ImageMagick and Pillow its hopper_bad_exif.jpg.
TEST(PictureJpeg, DamagedFilesShowWhatCanBeDecoded) {
    JpegSpec layout;
    layout.width = 16;
    layout.height = 64; // four rows of 16 x 16 blocks, red above blue
    for (int i = 0; i < 16 * 64; ++i) {
        layout.samples.insert(layout.samples.end(),
                              {uint8_t(i < 16 * 32 ? 255 : 0), 0, uint8_t(i < 16 * 32 ? 0 : 255)});
    }
    const Bytes good = EncodeJpeg(layout);
    const size_t data = JpegScanData(good);
    ASSERT_NE(std::string::npos, data);
    const size_t middle = data + (good.size() - 2 - data) / 2;
    Bytes endMarker = good;
    endMarker[middle] = 0xFF;
    endMarker[middle + 1] = 0xD9;
    Bytes corrupt = good;
    for (size_t i = middle; i < middle + 4; ++i) {
        corrupt[i] ^= 0x5A;
    }
    Bytes taller = good;
    PutBe16(taller, FindJpegMarker(good, 0xC0) + 5, 128);
    const uint32_t grey = 0x808080;
    const struct {
        const char* name;
        Bytes bytes;
        int height;
        bool greyBelow; // the bottom rows are missing
    } rows[] = {
        {"cut in the middle of its coded pixels", Prefix(good, middle), 64, true},
        {"an end marker in the middle of its coded pixels", endMarker, 64, true},
        {"more rows declared than coded", taller, 128, true},
        {"corrupt coded pixels", corrupt, 64, false},
        {"cut before its end marker", Prefix(good, good.size() - 2), 64, false},
    };
    for (const auto& row : rows) {
        const auto picture = Decode(row.bytes);
        ASSERT_TRUE(picture) << row.name;
        ASSERT_EQ(row.height, picture->height) << row.name;
        const uint32_t top = picture->At(8, 4);
        const uint32_t bottom = picture->At(8, row.height - 4);
        EXPECT_TRUE(ColourNear(0xFF0000, top, 40)) << row.name << std::hex << ": " << top;
        if (row.greyBelow) {
            EXPECT_TRUE(ColourNear(grey, bottom, 2)) << row.name << std::hex << ": " << bottom;
        }
    }
    EXPECT_TRUE(ColourNear(0x0000FF, Decode(rows[4].bytes)->At(8, 60), 40));
}

// A picture to be drawn smaller may be decoded at the largest of a half, a quarter or an eighth
// of its size that still covers the drawing, when both sizes are given.
TEST(PictureJpeg, DecodedAtAFractionThatCoversTheDrawingSize) {
    JpegSpec layout;
    layout.width = 64;
    layout.height = 48;
    layout.components = 1;
    layout.samples.assign(64 * 48, 200);
    const Bytes jpeg = EncodeJpeg(layout);
    const struct {
        DrawingSize drawing;
        int width, height;
    } rows[] = {
        {{0, 0}, 64, 48},   {{64, 48}, 64, 48}, {{100, 100}, 64, 48}, {{33, 10}, 64, 48}, {{32, 24}, 32, 24},
        {{20, 10}, 32, 24}, {{8, 6}, 8, 6},     {{1, 1}, 8, 6},       {{8, 0}, 64, 48},   {{-1, 6}, 64, 48},
    };
    for (const auto& row : rows) {
        const auto picture = DecodePicture(jpeg.data(), jpeg.size(), row.drawing);
        ASSERT_TRUE(picture);
        EXPECT_EQ(row.width, picture->width) << row.drawing.width << "x" << row.drawing.height;
        EXPECT_EQ(row.height, picture->height) << row.drawing.width << "x" << row.drawing.height;
        EXPECT_NEAR(200, picture->At(picture->width / 2, picture->height / 2) & 0xFF, 2);
    }
}

// --- GIF ------------------------------------------------------------------------------------------

GifSpec FourColours(int width, int height) {
    GifSpec layout;
    layout.screenWidth = layout.width = width;
    layout.screenHeight = layout.height = height;
    layout.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            layout.indices.push_back(uint8_t((x + 2 * y) % 4));
        }
    }
    return layout;
}

uint32_t FourColour(int index) {
    static const uint32_t kColours[4] = {MakePixel(0, 0, 0), MakePixel(255, 0, 0), MakePixel(0, 255, 0),
                                         MakePixel(0, 0, 255)};
    return kColours[index];
}

TEST(PictureGif, FirstFrameColoursAndTransparency) {
    GifSpec layout = FourColours(4, 3);
    auto picture = Decode(EncodeGif(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureFormat::Gif, picture->format);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(FourColour((x + 2 * y) % 4), picture->At(x, y));
        }
    }

    layout.transparentIndex = 2;
    picture = Decode(EncodeGif(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::TransparentPixels, picture->alpha);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int index = (x + 2 * y) % 4;
            if (index == 2) {
                EXPECT_EQ(0u, PixelAlpha(picture->At(x, y)));
            } else {
                EXPECT_EQ(FourColour(index), picture->At(x, y));
            }
        }
    }

    // A local colour table instead of the global one.
    layout.transparentIndex = -1;
    layout.localColourMap = true;
    picture = Decode(EncodeGif(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(FourColour(3), picture->At(3, 0));
}

TEST(PictureGif, InterlacedAndPlacedFrames) {
    GifSpec layout = FourColours(3, 11);
    layout.interlaced = true;
    auto picture = Decode(EncodeGif(layout));
    ASSERT_TRUE(picture);
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(FourColour((x + 2 * y) % 4), picture->At(x, y)) << x << "," << y;
        }
    }

    // A 2 x 2 frame at (1, 2) on a 4 x 5 screen: the rest of the canvas is transparent.
    layout = FourColours(2, 2);
    layout.screenWidth = 4;
    layout.screenHeight = 5;
    layout.left = 1;
    layout.top = 2;
    picture = Decode(EncodeGif(layout));
    ASSERT_TRUE(picture);
    ASSERT_EQ(4, picture->width);
    ASSERT_EQ(5, picture->height);
    EXPECT_EQ(PictureAlpha::TransparentPixels, picture->alpha);
    EXPECT_EQ(0u, PixelAlpha(picture->At(0, 0)));
    EXPECT_EQ(0u, PixelAlpha(picture->At(3, 4)));
    EXPECT_EQ(0u, PixelAlpha(picture->At(1, 1)));
    EXPECT_EQ(FourColour(0), picture->At(1, 2));
    EXPECT_EQ(FourColour(1), picture->At(2, 2));
    EXPECT_EQ(FourColour(2), picture->At(1, 3));
    EXPECT_EQ(FourColour(3), picture->At(2, 3));
}

TEST(PictureGif, DamagedFilesGiveNoPicture) {
    GifSpec layout = FourColours(8, 8);
    layout.transparentIndex = 1;
    const Bytes good = EncodeGif(layout);
    ASSERT_FALSE(good.empty());
    // Only the trailer after the first frame may be missing.
    ExpectEveryPrefixFails(good, good.size() - 1);
    EXPECT_TRUE(Decode(Prefix(good, good.size() - 1)));

    // Logical screen size at 6, frame descriptor after the header, the colour table (12 bytes)
    // and the graphic control block (8 bytes).
    const size_t frame = 13 + 12 + 8;
    ASSERT_EQ(0x2C, good[frame]);
    auto patched = [&](size_t at, uint32_t value) {
        Bytes bytes = good;
        PutLe16(bytes, at, value);
        return Decode(bytes);
    };
    Bytes huge = good;
    PutLe16(huge, 6, 0xFFFF);
    PutLe16(huge, 8, 0xFFFF);
    EXPECT_FALSE(Decode(huge));
    // More pixels than the data holds: those it does not reach stay transparent, as other
    // decoders show them.
    const auto wide = patched(frame + 5, 2000);
    ASSERT_TRUE(wide);
    EXPECT_EQ(8, wide->width);
    EXPECT_EQ(0u, PixelAlpha(wide->At(0, 7)));

    Bytes codeSize = good;
    codeSize[frame + 10] = 12; // LZW minimum code size beyond 8 bits
    EXPECT_FALSE(Decode(codeSize));

    Bytes garbage = good;
    for (size_t i = frame + 12; i < frame + 16; ++i) {
        garbage[i] = 0xFF; // codes that are not yet in the table
    }
    EXPECT_FALSE(Decode(garbage));

    // No colour table anywhere: indices are grey levels, as other decoders show them.
    Bytes noTable = good;
    noTable[10] &= 0x7F;
    noTable.erase(noTable.begin() + 13, noTable.begin() + 25);
    const auto grey = Decode(noTable);
    ASSERT_TRUE(grey);
    EXPECT_EQ(MakePixel(2, 2, 2), grey->At(2, 0));
    EXPECT_EQ(MakePixel(3, 3, 3), grey->At(1, 1));
}

// An image without pixels, or no image at all, gives the empty screen, as the GIF test suite
// expects of image-zero-width.gif, image-zero-height.gif, image-zero-size.gif and no-data.gif.
// Nothing is read after such an image: the last of those ends right after its descriptor.
TEST(PictureGif, NoPixelsGiveTheEmptyScreen) {
    const Bytes good = EncodeGif(FourColours(3, 2));
    const size_t frame = 13 + 12; // after the header and the colour table
    ASSERT_EQ(0x2C, good[frame]);
    auto withFrameSize = [&](uint32_t width, uint32_t height) {
        Bytes bytes = good;
        PutLe16(bytes, frame + 5, width);
        PutLe16(bytes, frame + 7, height);
        return bytes;
    };
    Bytes descriptorOnly = Prefix(withFrameSize(0, 0), frame + 10);
    descriptorOnly.push_back(0x3B);
    Bytes noImage = Prefix(good, frame);
    noImage.push_back(0x3B);
    const struct {
        const char* name;
        Bytes bytes;
    } rows[] = {
        {"zero width", withFrameSize(0, 2)},
        {"zero height", withFrameSize(3, 0)},
        {"zero size", withFrameSize(0, 0)},
        {"zero size, nothing after the descriptor", descriptorOnly},
        {"no image", noImage},
    };
    for (const auto& row : rows) {
        const auto picture = Decode(row.bytes);
        ASSERT_TRUE(picture) << row.name;
        EXPECT_EQ(3, picture->width) << row.name;
        EXPECT_EQ(2, picture->height) << row.name;
        EXPECT_EQ(PictureAlpha::TransparentPixels, picture->alpha) << row.name;
        EXPECT_TRUE(std::all_of(picture->pixels.begin(), picture->pixels.end(), [](uint32_t pixel) {
            return PixelAlpha(pixel) == 0;
        })) << row.name;
    }
    // Without a screen size there is nothing to show (the suite's zero-size.gif).
    Bytes noScreen = noImage;
    PutLe16(noScreen, 6, 0);
    EXPECT_FALSE(Decode(noScreen));
}

// --- ICO ------------------------------------------------------------------------------------------

// A 24-bit icon bitmap whose AND mask makes (0, 0) transparent; colour(x, y) from the top.
Bytes IconBitmap24(int size, uint32_t colour) {
    BmpLayout layout;
    layout.width = size;
    layout.height = 2 * size;
    layout.bitCount = 24;
    layout.bits = PackBitmapRows(size, size, 24, [&](int, int) { return colour; });
    const Bytes mask =
        PackBitmapRows(size, size, 1, [&](int x, int row) { return uint32_t(x == 0 && row == size - 1); });
    layout.bits.insert(layout.bits.end(), mask.begin(), mask.end());
    return EncodeDib(layout);
}

// A 32-bit icon bitmap, blue with a green column 1, whose AND mask sets the columns `masked`
// names (bit x for column x).
Bytes IconBitmap32(int size, uint32_t alpha, uint32_t masked) {
    BmpLayout layout;
    layout.width = size;
    layout.height = 2 * size;
    layout.bitCount = 32;
    layout.bits = PackBitmapRows(
        size, size, 32, [&](int x, int) { return (alpha << 24) | (x == 1 ? 0x00FF00u : 0x0000FFu); });
    const Bytes mask = PackBitmapRows(size, size, 1, [&](int x, int) { return (masked >> x) & 1; });
    layout.bits.insert(layout.bits.end(), mask.begin(), mask.end());
    return EncodeDib(layout);
}

TEST(PictureIco, LargestImageWithMaskOrAlpha) {
    // The directory lies about the sizes: the real headers decide.
    const Bytes icon =
        EncodeIco({{IconBitmap24(2, 0xFF0000), 200, 200, 24}, {IconBitmap24(5, 0x00FF00), 1, 1, 24}});
    auto picture = Decode(icon);
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureFormat::Ico, picture->format);
    ASSERT_EQ(5, picture->width);
    ASSERT_EQ(5, picture->height);
    EXPECT_EQ(PictureAlpha::TransparentPixels, picture->alpha);
    EXPECT_EQ(0u, PixelAlpha(picture->At(0, 0))); // the last stored mask row is the top one
    EXPECT_EQ(MakePixel(0, 255, 0), picture->At(1, 0));
    EXPECT_EQ(MakePixel(0, 255, 0), picture->At(0, 4));

    // A PNG image (directory size 0 = 256) is bigger than the 5 x 5 bitmap.
    PngSpec png;
    png.width = 7;
    png.height = 6;
    png.colorType = 6;
    png.rows.assign(7 * 6 * 4, 0);
    png.rows[3] = 200;
    const Bytes withPng = EncodeIco({{IconBitmap24(5, 0x00FF00), 5, 5, 24}, {EncodePng(png), 0, 0, 32}});
    picture = Decode(withPng);
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureFormat::Ico, picture->format);
    EXPECT_EQ(7, picture->width);
    EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha);
    EXPECT_EQ(200u, PixelAlpha(picture->At(0, 0)));
}

// A 32-bit image takes its alpha bytes over its AND mask, unless they are zero everywhere: such
// an image was made for its mask, which then says which pixels are transparent, as Windows draws it.
TEST(PictureIco, ThirtyTwoBitImagesTakeTheirAlphaOrElseTheirMask) {
    const struct {
        const char* name;
        uint32_t alpha;
        uint32_t masked; // bit x: column x transparent by the mask
        PictureAlpha kind;
        uint8_t expected[4]; // the alpha of each column
    } rows[] = {
        {"alpha over the mask", 0x80, 0x2, PictureAlpha::AlphaChannel, {0x80, 0x80, 0x80, 0x80}},
        {"alpha zero, the mask decides", 0, 0x2, PictureAlpha::TransparentPixels, {255, 0, 255, 255}},
        {"alpha zero, the mask transparent throughout",
         0,
         0xF,
         PictureAlpha::TransparentPixels,
         {0, 0, 0, 0}},
        {"alpha zero, no pixel masked", 0, 0, PictureAlpha::TransparentPixels, {255, 255, 255, 255}},
    };
    for (const auto& row : rows) {
        const auto picture = Decode(EncodeIco({{IconBitmap32(4, row.alpha, row.masked), 4, 4, 32}}));
        ASSERT_TRUE(picture) << row.name;
        EXPECT_EQ(row.kind, picture->alpha) << row.name;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(row.expected[x], PixelAlpha(picture->At(x, y))) << row.name << " " << x << "," << y;
                EXPECT_EQ(x == 1 ? 0x00FF00u : 0x0000FFu, picture->At(x, y) & 0xFFFFFF) << row.name;
            }
        }
    }
}

TEST(PictureIco, DamagedFilesGiveNoPicture) {
    const Bytes good = EncodeIco({{IconBitmap24(3, 0xFF0000), 3, 3, 24}});
    ASSERT_TRUE(Decode(good));
    ExpectEveryPrefixFails(good, good.size());

    Bytes noImages = good;
    PutLe16(noImages, 4, 0);
    EXPECT_FALSE(Decode(noImages));
    Bytes manyImages = good;
    PutLe16(manyImages, 4, 0xFFFF); // a directory longer than the file
    EXPECT_FALSE(Decode(manyImages));
    Bytes farOffset = good;
    PutLe32(farOffset, 6 + 12, 0xFFFFFFF0);
    EXPECT_FALSE(Decode(farOffset));
    Bytes longImage = good;
    PutLe32(longImage, 6 + 8, 0xFFFFFFF0);
    EXPECT_FALSE(Decode(longImage));
    Bytes hugeBitmap = good;
    PutLe32(hugeBitmap, 22 + 4, 100000);
    PutLe32(hugeBitmap, 22 + 8, 200000);
    EXPECT_FALSE(Decode(hugeBitmap));
    Bytes zeroHeight = good;
    PutLe32(zeroHeight, 22 + 8, 1); // half a row: no rows at all
    EXPECT_FALSE(Decode(zeroHeight));

    // When the largest image is damaged, the next one is used.
    Bytes broken = IconBitmap24(6, 0x0000FF);
    PutLe16(broken, 14, 7); // bit count
    const auto picture = Decode(EncodeIco({{IconBitmap24(2, 0xFF0000), 2, 2, 24}, {broken, 6, 6, 24}}));
    ASSERT_TRUE(picture);
    EXPECT_EQ(2, picture->width);
}

// --- Bounds ---------------------------------------------------------------------------------------

// Hostile files decode or are refused quickly (generous for a busy machine) and never yield a
// picture larger than their data can fill.
void ExpectCheap(const Bytes& bytes, const char* what) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const auto picture = Decode(bytes);
    QueryPerformanceCounter(&end);
    EXPECT_LT(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), 2.0) << what;
    if (picture) {
        EXPECT_LE(picture->pixels.size(), kAffordablePixels) << what;
    }
}

// A palette with one colour and an 8 x 8 K picture of run-length data that ends at once.
Bytes HugeRleBitmap() {
    BmpLayout layout;
    layout.width = 8192;
    layout.height = 8192;
    layout.bitCount = 8;
    layout.compression = 1;
    layout.palette = {0xFF0000};
    layout.bits = {0, 1};
    return EncodeBmp(layout);
}

// A logical screen of 8 K x 8 K with one 1 x 1 frame in it.
Bytes HugeScreenGif() {
    Bytes gif = EncodeGif(FourColours(1, 1));
    PutLe16(gif, 6, 8192);
    PutLe16(gif, 8, 8192);
    return gif;
}

// An icon whose entries all point at one image.
Bytes IconOfOneImage(const Bytes& image, size_t entries) {
    Bytes icon = EncodeIco({{image, 0, 0, 32}});
    const Bytes entry(icon.begin() + 6, icon.begin() + 22);
    Bytes out(icon.begin(), icon.begin() + 6);
    PutLe16(out, 4, static_cast<uint32_t>(entries));
    const size_t imageAt = 6 + 16 * entries;
    for (size_t i = 0; i < entries; ++i) {
        out.insert(out.end(), entry.begin(), entry.end());
        PutLe32(out, out.size() - 4, static_cast<uint32_t>(imageAt));
    }
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

// A PNG that decodes all its compressed rows before it turns out one row short.
Bytes PngOneRowShort(int size) {
    PngSpec layout;
    layout.width = size;
    layout.height = size - 1;
    layout.colorType = 0;
    for (int i = 0; i < size * (size - 1); ++i) {
        layout.rows.push_back(uint8_t(i * 7 ^ i >> 5));
    }
    Bytes png = EncodePng(layout);
    PutBe32(png, 16 + 4, static_cast<uint32_t>(size));
    FixPngCrc(png, 16);
    return png;
}

// A flat grey progressive JPEG whose last scan, a few bytes, is repeated `times` times.
Bytes JpegRepeatingLastScan(int times) {
    JpegSpec layout;
    layout.width = layout.height = 1024;
    layout.components = 1;
    layout.samples.assign(1024 * 1024, 128);
    layout.progressive = true;
    const Bytes jpeg = EncodeJpeg(layout);
    const uint8_t sos[2] = {0xFF, 0xDA};
    const size_t last = std::find_end(jpeg.begin(), jpeg.end(), sos, sos + 2) - jpeg.begin();
    const Bytes scan(jpeg.begin() + last, jpeg.end() - 2);
    Bytes out(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), scan.begin(), scan.end());
    }
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

TEST(PictureBounds, HostileFilesCostLittle) {
    ExpectCheap(HugeRleBitmap(), "60-byte bitmap of 64 megapixels");
    ExpectCheap(HugeScreenGif(), "GIF with a screen of 64 megapixels");

    PngSpec lie = CardPng();
    Bytes liar = EncodePng(lie);
    PutBe32(liar, 16, 8000);
    PutBe32(liar, 20, 8000);
    FixPngCrc(liar, 16);
    ExpectCheap(IconOfOneImage(liar, 200), "200 icon entries of one PNG claiming 8000 x 8000");
    ExpectCheap(IconOfOneImage(PngOneRowShort(600), 5000), "5000 icon entries of one broken PNG");

    ExpectCheap(JpegRepeatingLastScan(10000), "a JPEG repeating its last scan");

    // Runs far past the end of the row, 32 MB of them: cut off, each at no cost.
    BmpLayout runs;
    runs.width = 1;
    runs.height = 1;
    runs.bitCount = 8;
    runs.compression = 1;
    runs.palette = {0x00FF00};
    for (int i = 0; i < 16 * 1024 * 1024; ++i) {
        runs.bits.insert(runs.bits.end(), {255, 0});
    }
    runs.bits.insert(runs.bits.end(), {0, 1});
    const Bytes rle = EncodeBmp(runs);
    ExpectCheap(rle, "runs past the row");
    // One pixel past the row is the padding of an odd row, and clipped.
    runs.bits = {2, 0, 0, 1};
    const auto padded = Decode(EncodeBmp(runs));
    ASSERT_TRUE(padded);
    EXPECT_EQ(MakePixel(0, 255, 0), padded->At(0, 0));
}

TEST(PictureBounds, LargeDeclaredSizesNeedTheDataToFillThem) {
    EXPECT_FALSE(Decode(HugeRleBitmap()));
    EXPECT_FALSE(Decode(HugeScreenGif()));
    // Within what is always affordable, such files still decode.
    Bytes small = HugeRleBitmap();
    PutLe32(small, 18, 1024);
    PutLe32(small, 22, 1024);
    ASSERT_TRUE(Decode(small));
    EXPECT_EQ(1024, Decode(small)->width);
}

TEST(PictureBounds, StrayBytesBeforeAJpegMarkerAreHarmless) {
    const Bytes good = EncodeJpeg(Quadrants(3));
    const size_t frame = FindJpegMarker(good, 0xC0);
    Bytes stray = good;
    stray.insert(stray.begin() + frame, {0x12, 0x34, 0x56});
    ExpectQuadrants(Decode(stray));
}

// --- Files and recognition ------------------------------------------------------------------------

TEST(PictureFile, FormatComesFromTheContentNotTheName) {
    TempDir dir;
    const struct {
        const wchar_t* name;
        Bytes bytes;
        PictureFormat format;
    } files[] = {
        {L"png.bmp", EncodePng(CardPng()), PictureFormat::Png},
        {L"bmp.png", EncodeBmp(Card24(false)), PictureFormat::Bmp},
        {L"jpeg.gif", EncodeJpeg(Quadrants(3)), PictureFormat::Jpeg},
        {L"gif.ico", EncodeGif(FourColours(2, 2)), PictureFormat::Gif},
        {L"ico.jpg", EncodeIco({{IconBitmap24(2, 0xFF0000), 2, 2, 24}}), PictureFormat::Ico},
        {L"noextension", EncodeGif(FourColours(2, 2)), PictureFormat::Gif},
    };
    for (const auto& file : files) {
        WriteBytesFile(dir.File(file.name), file.bytes);
        const auto picture = DecodePictureFile(dir.File(file.name).c_str());
        ASSERT_TRUE(picture) << Narrow(file.name);
        EXPECT_EQ(file.format, picture->format) << Narrow(file.name);
    }
    // An icon holding a PNG is an icon.
    WriteBytesFile(dir.File(L"pngicon.png"), EncodeIco({{EncodePng(CardPng()), 3, 2, 32}}));
    EXPECT_EQ(PictureFormat::Ico, DecodePictureFile(dir.File(L"pngicon.png").c_str())->format);
}

TEST(PictureFile, UnreadableOrUnknownFilesGiveNoPicture) {
    TempDir dir;
    EXPECT_FALSE(DecodePictureFile(nullptr));
    EXPECT_FALSE(DecodePictureFile(L""));
    EXPECT_FALSE(DecodePictureFile(dir.File(L"missing.png").c_str()));
    EXPECT_FALSE(DecodePictureFile(dir.Path().c_str())); // a folder
    WriteBytesFile(dir.File(L"empty.bmp"), Bytes());
    EXPECT_FALSE(DecodePictureFile(dir.File(L"empty.bmp").c_str()));
    WriteUtf8File(dir.File(L"text.png"), "<dialog>not a picture</dialog>");
    EXPECT_FALSE(DecodePictureFile(dir.File(L"text.png").c_str()));
    // Signatures alone are not pictures.
    for (const Bytes& start :
         {Bytes{'B', 'M'}, Bytes{0xFF, 0xD8, 0xFF}, Bytes{0, 0, 1, 0}, Bytes{'G', 'I', 'F', '8', '9', 'a'},
          Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}}) {
        Bytes bytes = start;
        bytes.resize(64, 0);
        EXPECT_FALSE(Decode(bytes));
    }
}

TEST(PictureFile, FilesOverTheSizeLimitAreRefused) {
    TempDir dir;
    // A good bitmap followed by zeros up to the limit decodes; one byte more is refused unread.
    const Bytes bmp = EncodeBmp(Card24(false));
    const std::wstring path = dir.File(L"big.bmp");
    WriteBytesFile(path, bmp);
    auto extendTo = [&](uint64_t size) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(size);
        EXPECT_TRUE(SetFilePointerEx(file, position, nullptr, FILE_BEGIN));
        EXPECT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
    };
    extendTo(kMaxPictureFileBytes);
    ExpectCard(DecodePictureFile(path.c_str()));
    extendTo(kMaxPictureFileBytes + 1);
    EXPECT_FALSE(DecodePictureFile(path.c_str()));
}

// --- Memory ---------------------------------------------------------------------------------------

// The private memory the process has committed.
size_t CommittedBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* at = nullptr;
    while (VirtualQuery(at, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) {
            break;
        }
        at = next;
    }
    return total;
}

// The most private memory committed while work runs, beyond what was committed before; sampled
// every millisecond, which no copy of a large picture outlives.
template <typename Work> size_t PeakCommittedDuring(Work work) {
    const size_t before = CommittedBytes();
    std::atomic<size_t> peak{before};
    std::atomic<bool> done{false};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), CommittedBytes());
            Sleep(1);
        }
    });
    work();
    done = true;
    sampler.join();
    return peak - before;
}

// A picture drawn at its own size is decoded into the bitmap it is drawn from, and a JPEG drawn at
// an eighth of its size is decoded at that size: no full-size copy is made on the way.
TEST(PictureMemory, BigPicturesCostOneCopyOfWhatIsDrawn) {
    constexpr int kSide = 4096;
    constexpr size_t kPixelBytes = size_t(kSide) * kSide * 4;
    TempDir dir;
    PngSpec png;
    png.width = png.height = kSide;
    png.colorType = 0;
    png.rows.resize(size_t(kSide) * kSide);
    for (size_t i = 0; i < png.rows.size(); ++i) {
        png.rows[i] = uint8_t(i / kSide + i % kSide);
    }
    WriteBytesFile(dir.File(L"big.png"), EncodePng(png));
    JpegSpec jpeg;
    jpeg.width = jpeg.height = kSide;
    jpeg.components = 1;
    jpeg.samples = std::move(png.rows);
    WriteBytesFile(dir.File(L"big.jpg"), EncodeJpeg(jpeg));

    PixelBuffer surface;
    ASSERT_TRUE(surface.Allocate(4, 4, 0xFFFFFFFF));
    MemoryDC dc(nullptr);
    SelectedObject selected(dc.Get(), surface.Bitmap());
    PictureCache cache;
    const size_t own = PeakCommittedDuring([&] { cache.Draw(dc.Get(), 0, 0, 0, 0, dir.File(L"big.png")); });
    EXPECT_EQ(kPixelBytes, cache.KeptBytes());
    EXPECT_LT(own, kPixelBytes * 3 / 2) << own / 1024 << " KB at the peak";
    const size_t eighth =
        PeakCommittedDuring([&] { cache.Draw(dc.Get(), 0, 0, kSide / 8, kSide / 8, dir.File(L"big.jpg")); });
    EXPECT_LT(eighth, kPixelBytes / 8) << eighth / 1024 << " KB at the peak";
    EXPECT_EQ(kPixelBytes / 64, cache.KeptBytes()); // the PNG has made way: the budget is 64 MB
    GdiFlush();
    // The JPEG's second cell down and across averages pixels 8 to 15 each way: grey 8 + 8 + 7.
    EXPECT_TRUE(ColourNear(0x171717, surface[1 * 4 + 1], 3)) << std::hex << surface[1 * 4 + 1];
}

} // namespace
