// The BUTTON control's drawing rectangles, with and without the visual style.
#include "ButtonGeometry.h"

#include "GdiHandles.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace {

// The visual style's button parts for a control (or for any button, without a window); null
// while buttons draw plainly.
class ButtonTheme {
public:
    explicit ButtonTheme(HWND control)
        : m_theme(IsThemeActive() && IsAppThemed() ? OpenThemeData(control, L"Button") : nullptr) {}
    ButtonTheme(const ButtonTheme&) = delete;
    ButtonTheme& operator=(const ButtonTheme&) = delete;
    ~ButtonTheme() {
        if (m_theme) {
            CloseThemeData(m_theme);
        }
    }
    HTHEME Get() const { return m_theme; }

private:
    HTHEME m_theme;
};

} // namespace

int MarkHeight(HDC dc, HWND control, bool radio) {
    const ButtonTheme theme(control);
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
    const ButtonTheme theme(control);
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
    return ButtonTheme(control).Get() != nullptr;
}
