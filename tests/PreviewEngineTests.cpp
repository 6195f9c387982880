// Drawing pictures with alpha into a real DIB section, and the preview engine that draws the
// pictures of a project's images folder and refuses names that lead out of it.
#include <windows.h>

#include "CMyTEVEngine.h"
#include "GdiHandles.h"
#include "KernelHandles.h"
#include "PathRules.h"
#include "PictureDecoder.h"
#include "PictureDrawing.h"
#include "PictureFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// A 32-bit top-down DIB section selected into a memory DC, filled with one colour.
class Surface {
public:
    Surface(int width, int height, uint32_t fill = kWhite) : m_width(width), m_dc(nullptr) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<uint32_t*>(bits);
        m_selected.emplace(m_dc.Get(), m_bitmap.Get());
        for (int i = 0; i < width * height; ++i) {
            m_bits[i] = fill;
        }
    }
    HDC Dc() const { return m_dc.Get(); }
    // The colour at (x, y) as 0xRRGGBB.
    uint32_t At(int x, int y) const {
        GdiFlush();
        return m_bits[y * m_width + x] & 0xFFFFFF;
    }
    // Whether every pixel outside the rectangle still has the fill colour.
    bool UntouchedOutside(const RECT& inside, int height, uint32_t fill = kWhite) const {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                const bool in = x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
                if (!in && At(x, y) != fill) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    int m_width;
    GdiObject<HBITMAP> m_bitmap;
    MemoryDC m_dc;
    std::optional<SelectedObject> m_selected;
    uint32_t* m_bits = nullptr;
};

// The pixels are stored as one row; width and height may disagree with their count.
Picture MakePicture(int width, int height, PictureAlpha alpha, std::initializer_list<uint32_t> pixels) {
    Picture picture;
    EXPECT_TRUE(AllocatePicture(picture, static_cast<int64_t>(pixels.size()), 1));
    std::copy(pixels.begin(), pixels.end(), picture.pixels.begin());
    picture.width = width;
    picture.height = height;
    picture.alpha = alpha;
    return picture;
}

// --- DrawPicture ----------------------------------------------------------------------------------

TEST(PictureDrawing, BlendsPremultipliedAlphaOverTheBackground) {
    Surface surface(8, 8);
    const Picture picture =
        MakePicture(4, 1, PictureAlpha::AlphaChannel, {0x80FF0000u, 0xFF00FF00u, 0x000000FFu, 0x40000000u});
    DrawPicture(surface.Dc(), 2, 3, 0, 0, picture);
    EXPECT_TRUE(ColourNear(0xFF7F7F, surface.At(2, 3), 2))
        << std::hex << surface.At(2, 3);    // half red over white
    EXPECT_EQ(0x00FF00u, surface.At(3, 3)); // opaque
    EXPECT_EQ(kWhite, surface.At(4, 3));    // fully transparent, whatever its colour
    EXPECT_TRUE(ColourNear(0xBFBFBF, surface.At(5, 3), 2))
        << std::hex << surface.At(5, 3); // a quarter of black
    EXPECT_TRUE(surface.UntouchedOutside({2, 3, 6, 4}, 8));

    // Over a coloured background the same half red mixes with it.
    Surface blue(2, 2, 0x0000FF);
    DrawPicture(blue.Dc(), 0, 0, 0, 0, MakePicture(1, 1, PictureAlpha::AlphaChannel, {0x80FF0000u}));
    EXPECT_TRUE(ColourNear(0x80007F, blue.At(0, 0), 2)) << std::hex << blue.At(0, 0);
}

TEST(PictureDrawing, TransparentPixelsAndOpaquePictures) {
    // With per-pixel transparency, only alpha 0 means transparent; other alpha bytes are opaque.
    Surface surface(4, 2);
    DrawPicture(surface.Dc(), 0, 0, 0, 0,
                MakePicture(3, 1, PictureAlpha::TransparentPixels, {0x00FF0000u, 0xFF00FF00u, 0x100000FFu}));
    EXPECT_EQ(kWhite, surface.At(0, 0));
    EXPECT_EQ(0x00FF00u, surface.At(1, 0));
    EXPECT_EQ(0x0000FFu, surface.At(2, 0));

    // An opaque picture ignores its alpha bytes entirely.
    Surface plain(2, 1);
    DrawPicture(plain.Dc(), 0, 0, 0, 0, MakePicture(2, 1, PictureAlpha::Opaque, {0x00FF0000u, 0x7F0000FFu}));
    EXPECT_EQ(0xFF0000u, plain.At(0, 0));
    EXPECT_EQ(0x0000FFu, plain.At(1, 0));
}

TEST(PictureDrawing, StretchesToTheGivenSizes) {
    const Picture quarters =
        MakePicture(2, 2, PictureAlpha::Opaque, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u});
    Surface both(12, 10);
    DrawPicture(both.Dc(), 1, 2, 8, 6, quarters);
    EXPECT_EQ(0xFF0000u, both.At(1, 2));
    EXPECT_EQ(0xFF0000u, both.At(4, 4));
    EXPECT_EQ(0x00FF00u, both.At(8, 2));
    EXPECT_EQ(0x0000FFu, both.At(1, 7));
    EXPECT_EQ(0x000000u, both.At(8, 7));
    EXPECT_TRUE(both.UntouchedOutside({1, 2, 9, 8}, 10));

    // Only the width given: the height stays the picture's own; zero or negative sizes too.
    Surface wide(12, 10);
    DrawPicture(wide.Dc(), 0, 0, 6, 0, quarters);
    EXPECT_EQ(0x00FF00u, wide.At(5, 0));
    EXPECT_EQ(0x000000u, wide.At(5, 1));
    EXPECT_TRUE(wide.UntouchedOutside({0, 0, 6, 2}, 10));

    Surface tall(12, 10);
    DrawPicture(tall.Dc(), 0, 0, -5, 4, quarters);
    EXPECT_EQ(0x0000FFu, tall.At(0, 3));
    EXPECT_TRUE(tall.UntouchedOutside({0, 0, 2, 4}, 10));
}

TEST(PictureDrawing, LargerPicturesAreKeptAveragedAtTheDrawingSize) {
    Picture halves;
    ASSERT_TRUE(AllocatePicture(halves, 400, 300));
    for (int i = 0; i < 400 * 300; ++i) {
        halves.pixels[i] = i % 400 < 200 ? 0xFFFF0000u : 0xFF0000FFu;
    }
    const DrawablePicture small(halves, 40, 30);
    EXPECT_EQ(40u * 30 * 4, small.KeptBytes());
    Surface surface(50, 40);
    small.Draw(surface.Dc(), 0, 0);
    EXPECT_EQ(0xFF0000u, surface.At(19, 29));
    EXPECT_EQ(0x0000FFu, surface.At(20, 0));
    EXPECT_TRUE(surface.UntouchedOutside({0, 0, 40, 30}, 40));

    // Only as large as the picture when the drawing is larger; one cell averages two pixels.
    EXPECT_EQ(400u * 300 * 4, DrawablePicture(halves, 800, 0).KeptBytes());
    Surface purple(2, 2);
    DrawPicture(purple.Dc(), 0, 0, 1, 1, MakePicture(2, 1, PictureAlpha::Opaque, {0xFFFF0000u, 0xFF0000FFu}));
    EXPECT_TRUE(ColourNear(0x800080u, purple.At(0, 0), 1)) << std::hex << purple.At(0, 0);
}

TEST(PictureDrawing, NothingForEmptyOrInconsistentPictures) {
    Surface surface(4, 4);
    DrawPicture(surface.Dc(), 0, 0, 4, 4, Picture());
    // Sizes that do not match the pixel count are never read.
    DrawPicture(surface.Dc(), 0, 0, 4, 4, MakePicture(100, 100, PictureAlpha::Opaque, {0xFF000000u}));
    DrawPicture(nullptr, 0, 0, 4, 4, MakePicture(1, 1, PictureAlpha::Opaque, {0xFF000000u}));
    EXPECT_TRUE(surface.UntouchedOutside({0, 0, 0, 0}, 4));
}

// --- CMyTEVEngine ---------------------------------------------------------------------------------

TEST(PreviewEngine, ImagesFolderAndViewer) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    EXPECT_EQ(L"C:\\work\\proj\\images\\",
              CMyTEVEngine(L"C:\\work\\proj\\tevproject.xml", instance).ImagesFolder());
    EXPECT_EQ(L"C:/work/proj/images\\",
              CMyTEVEngine(L"C:/work/proj/tevproject.xml", instance).ImagesFolder());
    EXPECT_EQ(L"images\\", CMyTEVEngine(L"tevproject.xml", instance).ImagesFolder());
    EXPECT_EQ(L"images\\", CMyTEVEngine(nullptr, instance).ImagesFolder());

    CMyTEVEngine preview(L"C:\\p\\tevproject.xml", instance);
    CTEVEngine& asEngine = preview;
    EXPECT_EQ(1, asEngine.IsViewer());
    EXPECT_EQ(instance, asEngine.Instance());
    CTEVEngine plain(instance);
    EXPECT_EQ(0, plain.IsViewer());
}

TEST(PreviewEngine, PictureNamesMustStayInsideTheFolder) {
    for (const wchar_t* name : {L"logo.bmp", L"icons\\app.ico", L"icons/app.ico", L"a.b\\..c", L"...x.png",
                                L".hidden.png", L"icons\\.\\app.ico", L"icons\\..\\logo.bmp"}) {
        EXPECT_TRUE(IsSafeRelativePath(name)) << Narrow(name);
    }
    for (const wchar_t* name : {L"", L"..", L"..\\logo.bmp", L"../logo.bmp", L"icons\\..\\..\\logo.bmp",
                                L"icons/..", L".. \\logo.bmp", L". .\\logo.bmp", L"...\\logo.bmp",
                                L"\\logo.bmp", L"/logo.bmp", L"\\\\server\\share\\logo.bmp",
                                L"\\\\?\\C:\\logo.bmp", L"C:\\logo.bmp", L"C:logo.bmp", L"logo.bmp:stream"}) {
        EXPECT_FALSE(IsSafeRelativePath(name)) << Narrow(name);
    }
}

// A project folder with images\logo.bmp (2 x 2 red), images\icons\app.png (1 x 1 half blue),
// images\broken.png, and outside.bmp (2 x 2 green) beside the project file.
class PreviewProject : public testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(dir.File(L"images").c_str(), nullptr);
        CreateDirectoryW(dir.File(L"images\\icons").c_str(), nullptr);
        WriteBytesFile(dir.File(L"images\\logo.bmp"), SolidBmp(0xFF0000));
        WriteBytesFile(dir.File(L"outside.bmp"), SolidBmp(0x00FF00));
        WriteBytesFile(dir.File(L"images\\outside.bmp"), Bytes()); // never the one drawn
        PngSpec png;
        png.width = 1;
        png.height = 1;
        png.colorType = 6;
        png.rows = {0, 0, 255, 128};
        WriteBytesFile(dir.File(L"images\\icons\\app.png"), EncodePng(png));
        WriteBytesFile(dir.File(L"images\\broken.png"), Prefix(EncodePng(png), 30));
    }

    static Bytes SolidBmp(uint32_t colour) {
        BmpLayout layout;
        layout.width = 2;
        layout.height = 2;
        layout.bits = PackBitmapRows(2, 2, 24, [&](int, int) { return colour; });
        return EncodeBmp(layout);
    }

    // Draws name at (1, 1) with the sizes given on a fresh 8 x 8 white surface.
    void Draw(Surface& surface, const wchar_t* name, int cx = 0, int cy = 0) {
        engine.DrawImage(surface.Dc(), 1, 1, cx, cy, name);
    }

    TempDir dir;
    CMyTEVEngine engine{dir.File(L"tevproject.xml").c_str(), GetModuleHandleW(nullptr)};
};

TEST_F(PreviewProject, DrawsPicturesOfTheImagesFolder) {
    EXPECT_EQ(dir.Path() + L"\\images\\", engine.ImagesFolder());

    // No sizes: the picture's own size.
    Surface own(8, 8);
    Draw(own, L"logo.bmp");
    EXPECT_EQ(0xFF0000u, own.At(1, 1));
    EXPECT_EQ(0xFF0000u, own.At(2, 2));
    EXPECT_TRUE(own.UntouchedOutside({1, 1, 3, 3}, 8));

    Surface stretched(8, 8);
    Draw(stretched, L"logo.bmp", 5, 3);
    EXPECT_EQ(0xFF0000u, stretched.At(5, 3));
    EXPECT_TRUE(stretched.UntouchedOutside({1, 1, 6, 4}, 8));

    // A sub-folder, with either separator; the PNG's alpha blends over the white.
    for (const wchar_t* name : {L"icons\\app.png", L"icons/app.png"}) {
        Surface blended(8, 8);
        Draw(blended, name, 2, 2);
        EXPECT_TRUE(ColourNear(0x7F7FFF, blended.At(2, 2), 2)) << std::hex << blended.At(2, 2);
        EXPECT_TRUE(blended.UntouchedOutside({1, 1, 3, 3}, 8));
    }
}

TEST_F(PreviewProject, EachFileIsDecodedOncePerDrawingSize) {
    const std::wstring logo = dir.File(L"images\\logo.bmp");
    auto setWritten = [&](const FILETIME& written) {
        FileHandle file(
            CreateFileW(logo.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &written));
    };
    Surface first(8, 8);
    Draw(first, L"logo.bmp");
    WIN32_FILE_ATTRIBUTE_DATA before = {};
    ASSERT_TRUE(GetFileAttributesExW(logo.c_str(), GetFileExInfoStandard, &before));

    // Other bytes behind the same size and time of last change: the decoded picture is drawn again.
    WriteBytesFile(logo, SolidBmp(0x0000FF));
    setWritten(before.ftLastWriteTime);
    Surface again(8, 8);
    Draw(again, L"logo.bmp");
    EXPECT_EQ(0xFF0000u, again.At(1, 1));

    // Another drawing size, or a changed file, reads the file as it is now.
    Surface larger(8, 8);
    Draw(larger, L"logo.bmp", 3, 3);
    EXPECT_EQ(0x0000FFu, larger.At(1, 1));
    FILETIME later = before.ftLastWriteTime;
    later.dwHighDateTime += 1;
    setWritten(later);
    Surface changed(8, 8);
    Draw(changed, L"logo.bmp");
    EXPECT_EQ(0x0000FFu, changed.At(1, 1));
}

TEST_F(PreviewProject, AbsentMissingOrUndecodablePicturesDrawNothing) {
    for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), L"", L"missing.bmp", L"icons",
                                L"broken.png", L"outside.bmp"}) {
        Surface surface(8, 8);
        Draw(surface, name, 4, 4);
        EXPECT_TRUE(surface.UntouchedOutside({0, 0, 0, 0}, 8)) << (name ? Narrow(name) : "(null)");
    }
}

TEST_F(PreviewProject, NamesLeadingOutOfTheImagesFolderDrawNothing) {
    // Followed as paths, these lead to decodable pictures (logo.bmp, or outside.bmp beside the
    // project file); only the drive-relative one depends on the current folder of its drive.
    const std::wstring absolute = dir.File(L"outside.bmp");
    const std::wstring longForm = L"\\\\?\\" + absolute;
    const std::wstring driveRelative = absolute.substr(0, 2) + absolute.substr(3); // "C:users\..."
    const std::wstring rootRelative = absolute.substr(2);
    for (const std::wstring& name :
         {absolute, longForm, driveRelative, rootRelative, std::wstring(L"..\\outside.bmp"),
          std::wstring(L"../outside.bmp"), std::wstring(L"icons\\..\\..\\outside.bmp"),
          std::wstring(L".. \\outside.bmp")}) {
        Surface surface(8, 8);
        Draw(surface, name.c_str(), 4, 4);
        EXPECT_TRUE(surface.UntouchedOutside({0, 0, 0, 0}, 8)) << Narrow(name);
    }
    // The same pictures are readable: only the names are refused.
    Surface control(8, 8);
    engine.DrawImage(control.Dc(), 0, 0, 0, 0, L"logo.bmp");
    EXPECT_EQ(0xFF0000u, control.At(0, 0));
    EXPECT_TRUE(DecodePictureFile(absolute.c_str()));
}

} // namespace
