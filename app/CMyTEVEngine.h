// The preview engine: draws pictures from the project's images folder and declares itself a viewer.
#pragma once

#include <windows.h>

#include "CTEVEngine.h"
#include "PictureCache.h"

#include <string>

class CMyTEVEngine : public CTEVEngine {
public:
    // imagesFolder becomes the folder of projectPath (with its trailing backslash) + "images\".
    CMyTEVEngine(const wchar_t* projectPath, HINSTANCE instance);

    // Draws imagesFolder + file scaled into the rectangle; nothing for an absent name, a name
    // that leaves the images folder, a missing file or one that does not decode. Each file is
    // decoded once per drawing size, not on every paint.
    void DrawImage(HDC dc, int x, int y, int cx, int cy, const wchar_t* file) override;
    BOOL IsViewer() override;

    const std::wstring& ImagesFolder() const { return imagesFolder; }

private:
    std::wstring imagesFolder;
    PictureCache m_pictures; // owned; the pictures drawn so far, ready for the next paint
};
