// Program entry: COM and the common controls, then the main window until the user closes it.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "CMainDialog.h"
#include "CTEVEngine.h"
#include "Settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CoInitialize(nullptr);
    InitCommonControls();
    {
        CTEVEngine engine(instance);
        CMainDialog dialog(&engine, ProgramFolder(instance));
        dialog.DoModal(nullptr);
    }
    CoUninitialize();
    return 0;
}
