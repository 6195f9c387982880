#include "SystemMetrics.h"

bool ReadNonClientMetrics(NONCLIENTMETRICSW* metrics) {
    *metrics = {};
    metrics->cbSize = 504;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics->cbSize, metrics, 0)) {
        return true;
    }
    // Systems before Vista know the structure without its last field.
    metrics->cbSize = 500;
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics->cbSize, metrics, 0) != FALSE;
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int DpiOf(HWND window) {
    // Windows 10 1607 and later; before it every monitor has the system's DPI.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

RECT WorkAreaNear(HWND window) {
    RECT area = {};
    MONITORINFO info = {sizeof(info)};
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        return info.rcWork;
    }
    GetClientRect(GetDesktopWindow(), &area);
    return area;
}
