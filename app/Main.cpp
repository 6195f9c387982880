// Program entry: the main window until the user closes it, or the translation check for build
// pipelines or the version when the command line asks for them.
#include <windows.h>

#include "CMainDialog.h"
#include "CTEVEngine.h"
#include "CheckCommand.h"
#include "LineWriter.h"
#include "ProgramInfo.h"
#include "ProgramStart.h"
#include "Settings.h"
#include "UserHandles.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The arguments after the program's own name.
std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; arguments && i < count; ++i) {
        args.emplace_back(arguments[i]);
    }
    LocalFree(arguments);
    return args;
}

bool HasOption(const std::vector<std::wstring>& args, const wchar_t* option) {
    return std::any_of(args.begin(), args.end(), [option](const std::wstring& arg) {
        return CompareStringOrdinal(arg.c_str(), -1, option, -1, TRUE) == CSTR_EQUAL;
    });
}

// "--exit-when-ready": the first window that becomes active is cancelled, so the program ends as soon
// as the open dialog is up; the start-up time can then be measured from outside.
LRESULT CALLBACK CancelFirstActiveWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ProgramStart start;
    const std::vector<std::wstring> args = ProgramArguments();
    if (IsCheckCommand(args)) {
        return RunCheckCommand(args, ProgramFolderOf(instance));
    }
    if (HasOption(args, L"--version")) {
        LineWriter(STD_OUTPUT_HANDLE).Write(L"tevlib translator " TEXT(TEV_VERSION_TEXT));
        return 0;
    }
    std::unique_ptr<WindowsHook> exitWhenReady;
    if (HasOption(args, L"--exit-when-ready")) {
        exitWhenReady = std::make_unique<WindowsHook>(WH_CBT, CancelFirstActiveWindow);
    }
    CTEVEngine engine(instance);
    TranslationSession session;
    CMainDialog dialog(&engine, ProgramFolderOf(instance), session);
    dialog.DoModal(nullptr);
    // Changes still unsaved are those the translator chose not to save: no recovery brings them back.
    session.DiscardModified();
    return 0;
}
