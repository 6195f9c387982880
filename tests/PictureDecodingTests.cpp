// Picture decoding: good files of every format written by the tests, damaged variants, and
// recognition of the format from the content of files.
#include <windows.h>

#include "PictureDecoder.h"
#include "PictureFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

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

    // The same with alpha zero everywhere: an alpha mask nobody filled in, so opaque.
    layout.bits = PackBitmapRows(2, 1, 32, [](int, int) { return 0x00FF0000u; });
    picture = Decode(EncodeBmp(layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::Opaque, picture->alpha);
    EXPECT_EQ(MakePixel(255, 0, 0), picture->At(1, 0));
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
    EXPECT_EQ(PictureAlpha::TransparentPixels, picture->alpha);
    const uint32_t red = MakePixel(255, 0, 0);
    const uint32_t green = MakePixel(0, 255, 0);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(red, picture->At(x, 2));
    }
    EXPECT_EQ(green, picture->At(0, 1));
    EXPECT_EQ(red, picture->At(1, 1));
    EXPECT_EQ(green, picture->At(2, 1));
    EXPECT_EQ(0u, PixelAlpha(picture->At(3, 1))); // never reached
    EXPECT_EQ(0u, PixelAlpha(picture->At(0, 0))); // skipped by the delta
    EXPECT_EQ(0u, PixelAlpha(picture->At(1, 0)));
    EXPECT_EQ(green, picture->At(2, 0));
    EXPECT_EQ(green, picture->At(3, 0));

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
    EXPECT_FALSE(patched(30, 4)); // embedded JPEG
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

TEST(PictureJpeg, DamagedFilesGiveNoPicture) {
    const Bytes good = EncodeJpeg(Quadrants(3));
    ASSERT_FALSE(good.empty());
    ExpectEveryPrefixFails(good, good.size());

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
    EXPECT_FALSE(withSize(16, 4000)); // far more rows than the scan holds

    // An end-of-image marker in the middle of the entropy-coded data.
    const size_t scan = FindJpegMarker(good, 0xDA);
    ASSERT_NE(std::string::npos, scan);
    Bytes corrupt = good;
    const size_t middle = scan + (good.size() - scan) / 2;
    corrupt[middle] = 0xFF;
    corrupt[middle + 1] = 0xD9;
    EXPECT_FALSE(Decode(corrupt));
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
    EXPECT_FALSE(patched(frame + 5, 0)); // frame width 0
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

Bytes IconBitmap32(int size, uint32_t alpha) {
    BmpLayout layout;
    layout.width = size;
    layout.height = 2 * size;
    layout.bitCount = 32;
    layout.bits = PackBitmapRows(
        size, size, 32, [&](int x, int) { return (alpha << 24) | (x == 1 ? 0x00FF00u : 0x0000FFu); });
    const Bytes mask = PackBitmapRows(size, size, 1, [&](int x, int) { return uint32_t(x == 1); });
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

    // 32 bits: the alpha bytes win over the mask.
    picture = Decode(EncodeIco({{IconBitmap32(4, 0x80), 4, 4, 32}}));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::AlphaChannel, picture->alpha);
    EXPECT_EQ(0x800000FFu, picture->At(0, 0));
    EXPECT_EQ(0x8000FF00u, picture->At(1, 3));

    // 32 bits with alpha zero everywhere: the mask decides.
    picture = Decode(EncodeIco({{IconBitmap32(4, 0), 4, 4, 32}}));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PictureAlpha::TransparentPixels, picture->alpha);
    EXPECT_EQ(0xFF0000FFu, picture->At(0, 0));
    EXPECT_EQ(0u, PixelAlpha(picture->At(1, 2)));

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

    // Runs far past the end of the row, 32 MB of them: refused at the first.
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
    EXPECT_FALSE(Decode(rle));
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

} // namespace
