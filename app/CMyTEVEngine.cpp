// The preview engine: pictures come from the project's "images\" folder, never from outside it.
#include "CMyTEVEngine.h"

#include "PictureDecoder.h"
#include "PictureDrawing.h"

#include <shlwapi.h>

#include <algorithm>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Besides "..", segments of dots and spaces such as ".. " or ". ." are refused: Windows trims
// trailing dots and spaces from path segments, so they may climb out as well.
bool IsClimbingSegment(const std::wstring& segment) {
    return segment.find_first_not_of(L". ") == std::wstring::npos &&
           std::count(segment.begin(), segment.end(), L'.') >= 2;
}

} // namespace

CMyTEVEngine::CMyTEVEngine(const wchar_t* projectPath, HINSTANCE instance) : CTEVEngine(instance) {
    const std::wstring path = projectPath ? projectPath : L"";
    const size_t lastSeparator = path.find_last_of(L"\\/");
    imagesFolder =
        (lastSeparator == std::wstring::npos ? std::wstring() : path.substr(0, lastSeparator + 1)) +
        L"images\\";
}

bool IsPictureNameInsideFolder(const wchar_t* name) {
    if (!name || !*name || IsSeparator(name[0]) || wcschr(name, L':')) {
        return false;
    }
    const std::wstring text = name;
    for (size_t start = 0; start <= text.size();) {
        size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        if (IsClimbingSegment(text.substr(start, end - start))) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

void CMyTEVEngine::DrawImage(HDC dc, int x, int y, int cx, int cy, const wchar_t* file) {
    if (!file || !IsPictureNameInsideFolder(file)) {
        return;
    }
    const std::wstring path = imagesFolder + file;
    if (!PathFileExistsW(path.c_str())) {
        return;
    }
    if (const auto picture = DecodePictureFile(path.c_str())) {
        DrawPicture(dc, x, y, cx, cy, *picture);
    }
}

BOOL CMyTEVEngine::IsViewer() {
    return 1;
}
