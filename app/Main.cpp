// Program entry: the main window until the user closes it.
#include <windows.h>

#include "CMainDialog.h"
#include "CTEVEngine.h"
#include "ProgramStart.h"
#include "Settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ProgramStart start;
    CTEVEngine engine(instance);
    CMainDialog dialog(&engine, ProgramFolder(instance));
    dialog.DoModal(nullptr);
    return 0;
}
