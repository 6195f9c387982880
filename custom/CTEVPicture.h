// "picture": a window of its own class that has the engine draw an image file into a
// rectangle of the size the description gives.
#pragma once

#include "CTEVElement.h"
#include "OwnWindow.h"

class CTEVPicture : public CTEVElement, public COwnWindow {
public:
    CTEVPicture(CTEVElement* parent, CTEVEngine* engine);

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;

    const wchar_t* Picture() const { return CStrOrNull(m_pic); }

protected:
    void OnBound(HWND hwnd) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;

private:
    OptString m_pic;
    int m_picWidth = 0;
    int m_picHeight = 0;
};
