// RAII owner for the visual-styles data of a window class part list.
#pragma once

#include <windows.h>

#include <uxtheme.h>

// Theme data opened for a window, closed on destruction; null when visual styles are off.
class ThemeData {
public:
    ThemeData(HWND window, const wchar_t* classList) : m_theme(OpenThemeData(window, classList)) {}
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;
    ~ThemeData() {
        if (m_theme) {
            CloseThemeData(m_theme);
        }
    }
    HTHEME Get() const { return m_theme; }
    explicit operator bool() const { return m_theme != nullptr; }

private:
    HTHEME m_theme;
};
