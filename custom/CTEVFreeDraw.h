// "freedraw": a window of its own class whose painting is left to the application, which
// receives the paint device context and the area's rectangle with the event "freedraw".
#pragma once

#include "CTEVElement.h"
#include "OwnWindow.h"

class CTEVFreeDraw : public CTEVElement, public COwnWindow {
public:
    CTEVFreeDraw(CTEVElement* parent, CTEVEngine* engine);

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Create() override;

protected:
    void OnBound(HWND hwnd) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;
};
