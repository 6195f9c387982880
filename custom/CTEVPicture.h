// "picture": a window of its own class that has the engine draw an image file into a
// rectangle of the size the description gives.
#pragma once

#include "CTEVElement.h"

class CTEVPicture : public CTEVElement {
public:
    CTEVPicture(CTEVElement* parent, CTEVEngine* engine);
    ~CTEVPicture() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;

    const wchar_t* Picture() const { return CStrOrNull(m_pic); }

private:
    static LRESULT CALLBACK PictureWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterWindowClass(HINSTANCE instance);
    void OnPaint(HWND hwnd);

    OptString m_pic;
    int m_picWidth = 0;
    int m_picHeight = 0;
};
