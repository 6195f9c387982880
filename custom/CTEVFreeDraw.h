// "freedraw": a window of its own class whose painting is left to the application, which
// receives the paint device context and the area's rectangle with the event "freedraw".
#pragma once

#include "CTEVElement.h"

class CTEVFreeDraw : public CTEVElement {
public:
    CTEVFreeDraw(CTEVElement* parent, CTEVEngine* engine);
    ~CTEVFreeDraw() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Create() override;

private:
    static LRESULT CALLBACK FreeDrawWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterWindowClass(HINSTANCE instance);
    void OnPaint(HWND hwnd);
};
