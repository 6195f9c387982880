// The preview engine: pictures come from the project's "images\" folder, never from outside it.
#include "CMyTEVEngine.h"

#include "PathRules.h"

#include <shlwapi.h>

CMyTEVEngine::CMyTEVEngine(const wchar_t* projectPath, HINSTANCE instance) : CTEVEngine(instance) {
    imagesFolder = FolderOf(projectPath ? projectPath : L"") + L"images\\";
}

void CMyTEVEngine::DrawImage(HDC dc, int x, int y, int cx, int cy, const wchar_t* file) {
    if (!file || !IsSafeRelativePath(file)) {
        return;
    }
    const std::wstring path = imagesFolder + file;
    if (!PathFileExistsW(path.c_str())) {
        return;
    }
    m_pictures.Draw(dc, x, y, cx, cy, path);
}

BOOL CMyTEVEngine::IsViewer() {
    return 1;
}
