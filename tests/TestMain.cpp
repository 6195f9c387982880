// Test entry: COM, the common controls and the element tags are set up once, as the program does
// at start.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "KernelHandles.h"
#include "StandardTags.h"

int main(int argc, char** argv) {
    ComApartment com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterStandardTags();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
