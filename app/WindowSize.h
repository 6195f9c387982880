// Window sizes kept in "settings.ini": a stored size replaces the computed one and is clamped to
// the screen (the dialog keeps it above its content's need); the size stored is the window's normal one, not
// a maximised frame. Sizes are pixels at the DPI stored beside them ("dpi"), and scaled when the
// window opens at another.
#pragma once

#include <windows.h>

#include <string>

class StoredWindowSize {
public:
    // section: the "settings.ini" section of one window, such as "MainWindow".
    StoredWindowSize(std::wstring iniPath, std::wstring section);

    // The stored width or height, no larger than the work area of window's monitor; computed,
    // equally limited, when nothing is stored.
    int Width(HWND window, int computed) const;
    int Height(HWND window, int computed) const;

    // Writes cx and cy, the outer size the window had, or its normal size when it is maximised or
    // minimised, so that it reopens restored rather than covering the screen; and the window's DPI.
    void Store(HWND window, int cx, int cy) const;

private:
    int Adjusted(HWND window, const wchar_t* key, int computed) const;

    std::wstring m_iniPath;
    std::wstring m_section;
};
