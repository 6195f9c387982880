// The BUTTON control's drawing rectangles, with and without the visual style.
#include "ButtonGeometry.h"

#include "GdiHandles.h"
#include "ThemeHandles.h"

#include <uxtheme.h>
#include <vssym32.h>

int MarkHeight(HDC dc, HWND control, bool radio) {
    const ThemeData theme(control, L"Button");
    SIZE mark = {};
    if (theme.Get() && SUCCEEDED(GetThemePartSize(theme.Get(), dc, radio ? BP_RADIOBUTTON : BP_CHECKBOX, 1,
                                                  nullptr, TS_DRAW, &mark))) {
        return mark.cy;
    }
    // The plain mark is 12 pixels at 96 DPI and one more.
    return MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 96) + 1;
}

int MarkRoom(HDC dc, HWND control, HFONT font, bool radio) {
    SelectedObject selected(dc, font);
    int digit = 0;
    GetCharWidthW(dc, L'0', L'0', &digit);
    return MarkHeight(dc, control, radio) + digit / 2 + 1;
}

PushButtonInsets PushButtonInsetsOf(HDC dc, HWND control, bool isDefault) {
    const ThemeData theme(control, L"Button");
    if (theme.Get()) {
        const RECT outer = {0, 0, 100, 100};
        RECT content = outer;
        GetThemeBackgroundContentRect(theme.Get(), dc, BP_PUSHBUTTON, isDefault ? PBS_DEFAULTED : PBS_NORMAL,
                                      &outer, &content);
        // The style draws the label over its border where it reaches that far: only the control's
        // edge cuts it.
        return {static_cast<int>(content.left), 0};
    }
    // The plain frame is two pixels, and a default button's black rectangle one more; the label
    // starts at the frame's inner edge.
    const int frame = isDefault ? 3 : 2;
    return {frame, frame};
}

bool GroupCaptionClippedToAdvance(HWND control) {
    return static_cast<bool>(ThemeData(control, L"Button"));
}
