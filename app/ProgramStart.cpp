#include "ProgramStart.h"

#include "CTEVContextHelp.h"
#include "StandardTags.h"

#include <commctrl.h>

ProgramStart::ProgramStart() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterStandardTags();
    RegisterContextHelp();
}
