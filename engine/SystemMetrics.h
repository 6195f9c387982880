// The system's non-client metrics, the source of its caption and message fonts, and the DPI
// that sizes written for 96 DPI are scaled to.
#pragma once

#include <windows.h>

// Fills metrics; false when the system answers neither the full structure nor the one before Vista.
bool ReadNonClientMetrics(NONCLIENTMETRICSW* metrics);

// The work area of the monitor nearest the window; the desktop where the platform knows no monitor.
RECT WorkAreaNear(HWND window);

// The DPI the stock fonts are made for (the primary monitor's).
int SystemDpi();
// The DPI of the monitor the window shows on; the system's where the platform knows no other.
int DpiOf(HWND window);
// Pixels written for 96 DPI, at dpi.
inline int ScaledForDpi(int pixels, int dpi) {
    return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI);
}
