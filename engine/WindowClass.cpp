#include "WindowClass.h"

void RegisterOwnWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, UINT style,
                            const wchar_t* cursor) {
    WNDCLASSW existing = {};
    if (GetClassInfoW(instance, className, &existing)) {
        return;
    }
    WNDCLASSW windowClass = {};
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, cursor);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
}
