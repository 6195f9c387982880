// The public picture test suites (fetched by scripts/fetch-picture-suites.sh into a cache folder,
// never committed): every file decodes to what another decoder makes of it, or is refused when
// the suite marks it broken.
#include <windows.h>

#include "PictureDecoder.h"
#include "TestSupport.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// The folder from TEV_PICTURE_SUITES (a Unix path, as the scripts give it, or a Windows one),
// which the test command sets once set-up has fetched the suites; else the cache folder the
// build was configured with, which may not have been fetched.
std::wstring SuitesFolder(bool& required) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"TEV_PICTURE_SUITES", value, MAX_PATH);
    required = length > 0 && length < MAX_PATH;
    std::wstring folder = required ? std::wstring(value) : std::wstring(TEV_PICTURE_SUITES_DEFAULT);
    if (!folder.empty() && folder[0] == L'/') {
        folder = L"Z:" + folder;
    }
    for (wchar_t& c : folder) {
        c = c == L'/' ? L'\\' : c;
    }
    return folder;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

// What libpng's simplified reader gives, as RGBA bytes (16-bit samples without gAMA or sRGB
// taken as sRGB, like 8-bit ones).
bool LibpngRgba(const std::string& bytes, int& width, int& height, std::string& rgba) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return false;
    }
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    image.format = PNG_FORMAT_RGBA;
    rgba.assign(PNG_IMAGE_SIZE(image), '\0');
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    const bool read = png_image_finish_read(&image, nullptr, &rgba[0], 0, nullptr) != 0;
    png_image_free(&image);
    return read;
}

// Empty when the picture shows the reference pixels (RGBA bytes) within the tolerance;
// transparent pixels agree whatever their colour.
std::string Compare(const Picture& picture, int width, int height, const std::string& rgba, int tolerance) {
    if (picture.width != width || picture.height != height || rgba.size() != size_t(width) * height * 4) {
        return "size " + std::to_string(picture.width) + "x" + std::to_string(picture.height) +
               ", expected " + std::to_string(width) + "x" + std::to_string(height);
    }
    int differing = 0;
    std::string first;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = picture.At(x, y);
            const uint8_t* expected =
                reinterpret_cast<const uint8_t*>(rgba.data()) + (size_t(y) * width + x) * 4;
            const int alpha = picture.alpha == PictureAlpha::Opaque ? 255
                              : picture.alpha == PictureAlpha::TransparentPixels
                                  ? (PixelAlpha(pixel) ? 255 : 0)
                                  : PixelAlpha(pixel);
            const int ours[4] = {int(pixel >> 16) & 255, int(pixel >> 8) & 255, int(pixel) & 255, alpha};
            bool same = alpha == 0 && expected[3] == 0;
            if (!same) {
                same = std::abs(alpha - expected[3]) <= tolerance;
                for (int c = 0; c < 3 && same; ++c) {
                    same = std::abs(ours[c] - expected[c]) <= tolerance;
                }
            }
            if (!same && differing++ == 0) {
                std::ostringstream at;
                at << "(" << x << "," << y << ") rgba " << ours[0] << " " << ours[1] << " " << ours[2] << " "
                   << ours[3] << ", expected " << int(expected[0]) << " " << int(expected[1]) << " "
                   << int(expected[2]) << " " << int(expected[3]);
                first = at.str();
            }
        }
    }
    return differing ? std::to_string(differing) + " pixels differ, first " + first : std::string();
}

// Empty when the file decodes as the manifest line says.
std::string Check(const std::wstring& folder, const std::vector<std::string>& line) {
    auto file = [&](const std::string& relative) {
        std::wstring path = folder + L"\\" + Widen(relative);
        for (wchar_t& c : path) {
            c = c == L'/' ? L'\\' : c;
        }
        return path;
    };
    const auto picture = DecodePictureFile(file(line[0]).c_str());
    const std::string& kind = line[1];
    if (kind == "refused") {
        return picture ? "decoded, expected refusal" : "";
    }
    if (kind == "any" || (!picture && kind == "rgba-or-refused")) {
        return "";
    }
    if (!picture) {
        return "refused";
    }
    int width = 0, height = 0;
    std::string rgba;
    if (kind == "libpng" || (kind == "libpng-of" && line.size() > 2)) {
        if (!LibpngRgba(ReadBytes(file(kind == "libpng" ? line[0] : line[2])), width, height, rgba)) {
            return "libpng refuses the reference";
        }
        return Compare(*picture, width, height, rgba, 0);
    }
    if ((kind == "rgba" || kind == "rgba-or-refused") && line.size() >= 6) {
        // Any of the references will do: some files have more than one right rendering. Their
        // names say whose they are (bmpsuite's, the GIF suite's, Pillow's, ImageMagick's).
        std::string problems;
        for (size_t i = 3; i + 2 < line.size(); i += 3) {
            const std::string problem = Compare(*picture, std::stoi(line[i + 1]), std::stoi(line[i + 2]),
                                                ReadBytes(file(line[i])), std::stoi(line[2]));
            if (problem.empty()) {
                return "";
            }
            problems += (problems.empty() ? "" : "; ") + problem + " against " + line[i];
        }
        return problems;
    }
    return "unknown manifest line";
}

TEST(PictureSuites, EveryFileDecodesAsOtherDecodersDoOrIsRefusedWhenBroken) {
    bool required = false;
    const std::wstring folder = SuitesFolder(required);
    const std::string manifest = ReadBytes(folder + L"\\manifest.txt");
    if (manifest.empty()) {
        if (required) {
            FAIL() << "no picture suites in " << Narrow(folder)
                   << " (scripts/fetch-picture-suites.sh makes them)";
        }
        GTEST_SKIP() << "picture suites not fetched: run scripts/fetch-picture-suites.sh, or scripts/test.sh";
    }
    int files = 0;
    std::vector<std::string> disagreements;
    std::istringstream lines(manifest);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::vector<std::string> fields = Fields(line);
        ++files;
        const std::string problem = fields.size() >= 2 ? Check(folder, fields) : "unreadable manifest line";
        if (!problem.empty()) {
            disagreements.push_back(fields[0] + ": " + problem);
        }
    }
    std::ostringstream report;
    for (const std::string& disagreement : disagreements) {
        report << "\n  " << disagreement;
    }
    std::printf("[ suites   ] %d of %d files agree\n", files - int(disagreements.size()), files);
    EXPECT_GT(files, 0);
    EXPECT_TRUE(disagreements.empty())
        << disagreements.size() << " of " << files << " files disagree:" << report.str();
}

} // namespace
