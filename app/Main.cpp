// Program entry: COM, the common controls and the element tags, then the main window until the
// user closes it.
#include <windows.h>

#include <commctrl.h>

#include "CMainDialog.h"
#include "CTEVContextHelp.h"
#include "CTEVEngine.h"
#include "KernelHandles.h"
#include "Settings.h"
#include "StandardTags.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ComApartment com;
    InitCommonControls();
    RegisterStandardTags();
    RegisterContextHelp();
    CTEVEngine engine(instance);
    CMainDialog dialog(&engine, ProgramFolder(instance));
    dialog.DoModal(nullptr);
    return 0;
}
