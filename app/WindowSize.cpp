// Restoring and storing window sizes in "settings.ini".
#include "WindowSize.h"

#include "Settings.h"
#include "SystemMetrics.h"

#include <algorithm>
#include <cwchar>
#include <utility>

StoredWindowSize::StoredWindowSize(std::wstring iniPath, std::wstring section)
    : m_iniPath(std::move(iniPath)), m_section(std::move(section)) {}

int StoredWindowSize::Width(HWND window, int computed) const {
    return Adjusted(window, L"width", computed);
}

int StoredWindowSize::Height(HWND window, int computed) const {
    return Adjusted(window, L"height", computed);
}

int StoredWindowSize::Adjusted(HWND window, const wchar_t* key, int computed) const {
    const Settings settings(m_iniPath);
    const int dpi = DpiOf(window);
    const int stored = settings.ReadInt(m_section.c_str(), key, 0);
    // A size stored without its DPI was stored at this one, as far as anyone knows.
    const int storedDpi = settings.ReadInt(m_section.c_str(), L"dpi", dpi);
    const int size = stored > 0 && storedDpi > 0 ? MulDiv(stored, dpi, storedDpi) : computed;
    // A size saved on a larger screen must still fit this one; the window itself keeps it above
    // what its content needs.
    const RECT work = WorkAreaNear(window);
    const int limit = wcscmp(key, L"width") == 0 ? work.right - work.left : work.bottom - work.top;
    return std::min(size, limit);
}

void StoredWindowSize::Store(HWND window, int cx, int cy) const {
    // A maximised or minimised window reports its current frame; the size to restore is the normal one.
    WINDOWPLACEMENT placement = {sizeof(placement)};
    if (GetWindowPlacement(window, &placement) && placement.showCmd != SW_SHOWNORMAL) {
        cx = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
        cy = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
    }
    const Settings settings(m_iniPath);
    settings.WriteInt(m_section.c_str(), L"width", cx);
    settings.WriteInt(m_section.c_str(), L"height", cy);
    settings.WriteInt(m_section.c_str(), L"dpi", DpiOf(window));
}
