#include "ProgramIdentity.h"

#include "ProgramInfo.h"
#include "ProgramStart.h"
#include "Settings.h"

namespace {

// System-menu commands below 0xF000 are the application's; the low four bits are the system's.
constexpr UINT kAboutCommand = 0x0010;

HICON LoadProgramIcon(int sizeMetricX, int sizeMetricY) {
    // Shared: the system keeps the icon for the module's lifetime, so no window has to free it.
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                         GetSystemMetrics(sizeMetricX), GetSystemMetrics(sizeMetricY),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

} // namespace

void SetProgramIcon(HWND window) {
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadProgramIcon(SM_CXICON, SM_CYICON)));
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON)));
}

void AddAboutToSystemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu) {
        return;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommand, L"&About tevlib translator...");
}

std::wstring AboutText(const std::wstring& programFolder) {
    const std::wstring settingsFile = programFolder + L"settings.ini";
    return L"tevlib translator " TEXT(TEV_VERSION_TEXT) L"\n\nSettings: " + settingsFile +
           L"\nTranslations: " + Settings(settingsFile).OutputFolder() + L"\n\n" TEXT(TEV_COPYRIGHT_TEXT);
}

bool AnswerAboutCommand(HWND window, WPARAM wParam, const std::wstring& programFolder) {
    if ((wParam & 0xFFF0) != kAboutCommand) {
        return false;
    }
    MessageBoxW(window, AboutText(programFolder).c_str(), kProgramCaption, MB_ICONINFORMATION | MB_OK);
    return true;
}
