// The dialog host: real modal dialogs under the virtual display, opened, measured, routed and
// closed from inside their own message loops.
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

class DialogHost : public testing::Test {
protected:
    CTEVEngine engine{GetModuleHandleW(nullptr)};
};

SIZE PixelsOf(HWND dialog, int x, int y) {
    RECT rect = {0, 0, x, y};
    MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

} // namespace

TEST_F(DialogHost, OpensAtTheContentsMinimumSizePlusMargins) {
    TestDialog dialog(engine, R"(<dialog caption="Sized"><box minwidth="120" minheight="40"/></dialog>)");
    RECT client = {};
    SIZE margin = {};
    const INT_PTR result = dialog.Run([&](TestDialog& d) {
        GetClientRect(d.Hwnd(), &client);
        margin = PixelsOf(d.Hwnd(), 7, 7);
        SaveScreenshot(d.Hwnd(), L"dialog-sized");
    });
    EXPECT_EQ(kEndedByScript, result);
    EXPECT_EQ(120 + 2 * margin.cx, client.right);
    EXPECT_EQ(40 + 2 * margin.cy, client.bottom);
}
