// Program entry: the main window until the user closes it, or the translation check for build
// pipelines when the command line asks for it.
#include <windows.h>

#include "CMainDialog.h"
#include "CTEVEngine.h"
#include "CheckCommand.h"
#include "ProgramStart.h"
#include "Settings.h"

#include <shellapi.h>

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

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ProgramStart start;
    const std::vector<std::wstring> args = ProgramArguments();
    if (IsCheckCommand(args)) {
        return RunCheckCommand(args, ProgramFolder(instance));
    }
    CTEVEngine engine(instance);
    CMainDialog dialog(&engine, ProgramFolder(instance));
    dialog.DoModal(nullptr);
    return 0;
}
