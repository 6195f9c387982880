// Buttons, labels, text boxes, group boxes, lines and spacers as real controls in real
// dialogs: their measured sizes, styles, events and values.
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

class TextButtonControls : public EngineTest<> {};

constexpr const wchar_t* kLongCaption = L"A caption far wider than fifty dialog units";

} // namespace

TEST_F(TextButtonControls, ButtonsAreAtLeastFiftyByFourteenUnitsAndAnExplicitWidthWins) {
    RunDialog(R"(<dialog><vbox>
        <button id="empty"/>
        <button id="long" label="A caption far wider than fifty dialog units"/>
        <button id="fixed" width="40" label="A caption far wider than fifty dialog units"/>
    </vbox></dialog>)",
              [&](TestDialog& d) {
                  const SIZE least = Dlu(d.Hwnd(), 50, 14);
                  EXPECT_EQ(least, MinSizeOf(d.Get(L"empty")));
                  const SIZE text = TextExtent(d.Hwnd(), kLongCaption);
                  const SIZE wide = MinSizeOf(d.Get(L"long"));
                  EXPECT_GT(wide.cx, text.cx); // room for the caption and the button's edges
                  EXPECT_LT(wide.cx, text.cx + least.cx / 2);
                  EXPECT_EQ(least.cy, wide.cy);
                  EXPECT_EQ(Dlu(d.Hwnd(), 40, 14), MinSizeOf(d.Get(L"fixed")));
                  EXPECT_EQ(kLongCaption, WindowText(d.Get(L"long")));
              });
}

TEST_F(TextButtonControls, AcceptAndCancelButtonsEndTheDialogThroughCanCloseWithoutClicked) {
    TestDialog dialog(engine, R"(<dialog><hbox>
        <button id="help" dlgType="help" label="Help"/>
        <button id="ok" dlgType="accept" label="OK"/>
        <button id="cancel" dlgType="cancel" label="Cancel"/>
    </hbox></dialog>)");
    dialog.canClose = [](int code) { return code != IDOK; };
    const INT_PTR result = dialog.Run([&](TestDialog& d) {
        EXPECT_EQ(IDOK, d.Get(L"ok").ControlId());
        EXPECT_EQ(IDCANCEL, d.Get(L"cancel").ControlId());
        EXPECT_EQ(BS_DEFPUSHBUTTON, StyleOf(d.Get(L"ok")) & BS_TYPEMASK);
        EXPECT_EQ(BS_PUSHBUTTON, StyleOf(d.Get(L"help")) & BS_TYPEMASK);
        SendMessageW(d.Get(L"help").Window(), BM_CLICK, 0, 0);
        SendMessageW(d.Get(L"ok").Window(), BM_CLICK, 0, 0);
        EXPECT_TRUE(IsWindowVisible(d.Hwnd()));
        SendMessageW(d.Get(L"cancel").Window(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), dialog.closeRequests);
    ASSERT_EQ(1u, dialog.events.size());
    EXPECT_EQ(L"help", dialog.events[0].source);
    EXPECT_EQ(L"clicked", dialog.events[0].name);
}

TEST_F(TextButtonControls, SetDefaultButtonMovesTheDefaultStyleBetweenButtons) {
    TestDialog dialog(
        engine, R"(<dialog><hbox><button id="a" label="A"/><button id="b" label="B"/></hbox></dialog>)");
    dialog.Run([&](TestDialog& d) {
        d.SetDefaultButton(L"a");
        EXPECT_EQ(BS_DEFPUSHBUTTON, StyleOf(d.Get(L"a")) & BS_TYPEMASK);
        d.SetDefaultButton(L"b");
        EXPECT_EQ(BS_PUSHBUTTON, StyleOf(d.Get(L"a")) & BS_TYPEMASK);
        EXPECT_EQ(BS_DEFPUSHBUTTON, StyleOf(d.Get(L"b")) & BS_TYPEMASK);
        EXPECT_EQ(MAKELONG(d.Get(L"b").ControlId(), DC_HASDEFID), SendMessageW(d.Hwnd(), DM_GETDEFID, 0, 0));
    });
}

TEST_F(TextButtonControls, LabelsMeasureOnOneLineInAGivenWidthOrWrappedToTheirColumn) {
    constexpr const wchar_t* kWords = L"Several words that cannot share one narrow line with each other";
    RunDialog(
        R"(<dialog><vbox>
        <button width="100"/>
        <label id="line" value="One line"/>
        <label id="given" width="40" value="Several words that cannot share one narrow line with each other"/>
        <label id="wrapped" multiline="true" value="Several words that cannot share one narrow line with each other"/>
    </vbox></dialog>)",
        [&](TestDialog& d) {
            // One line is clipped at its edges: it needs its pixels, which may end short of its
            // advance (the pixel tests hold the exact figure).
            const SIZE line = TextExtent(d.Hwnd(), L"One line");
            const SIZE lineMin = MinSizeOf(d.Get(L"line"));
            EXPECT_LE(lineMin.cx, line.cx);
            EXPECT_GE(lineMin.cx, line.cx - 3);
            EXPECT_EQ(std::max(line.cy, Dlu(d.Hwnd(), 1, 14).cy), lineMin.cy);

            const SIZE given = Dlu(d.Hwnd(), 40, 14);
            const SIZE givenText = TextExtent(d.Hwnd(), kWords, DT_WORDBREAK, given.cx);
            EXPECT_GT(givenText.cy, given.cy);
            EXPECT_EQ((SIZE{given.cx, givenText.cy}), MinSizeOf(d.Get(L"given")));

            // After layout the wrapping label fills its column and is as tall as its text there.
            const RECT rect = d.ClientRectOf(L"wrapped");
            const int column = Dlu(d.Hwnd(), 100, 14).cx;
            EXPECT_EQ(column, rect.right - rect.left);
            const SIZE wrapped = TextExtent(d.Hwnd(), kWords, DT_WORDBREAK, column);
            EXPECT_GT(wrapped.cy, line.cy);
            EXPECT_EQ(wrapped.cy, rect.bottom - rect.top);
            EXPECT_EQ(0, StyleOf(d.Get(L"wrapped")) & SS_CENTERIMAGE);
            EXPECT_NE(0, StyleOf(d.Get(L"line")) & SS_CENTERIMAGE);
        });
}

TEST_F(TextButtonControls, LabelTextIsStoredAndMaySetFromItsOwnBuffer) {
    RunDialog(R"(<dialog><label id="l" value="First"/></dialog>)", [&](TestDialog& d) {
        CTEVElement& label = d.Get(L"l");
        const SIZE before = MinSizeOf(label);
        EXPECT_EQ(L"First", TextOrNull(label.GetText()));
        label.SetText(L"A much longer second text");
        label.SetText(label.GetText());
        EXPECT_EQ(L"A much longer second text", TextOrNull(label.GetText()));
        EXPECT_EQ(L"A much longer second text", WindowText(label));
        EXPECT_EQ(before, MinSizeOf(label)); // not re-measured
        label.SetText(nullptr);
        EXPECT_EQ(nullptr, label.GetText());
        EXPECT_EQ(L"", WindowText(label));
    });
}

TEST_F(TextButtonControls, TypingFiresChangedButSetTextDoesNot) {
    TestDialog dialog(engine, R"(<dialog><textbox id="t"/></dialog>)");
    dialog.Run([&](TestDialog& d) {
        HWND edit = d.Get(L"t").Window();
        d.Get(L"t").SetText(L"set");
        EXPECT_EQ(0, d.CountEvents(L"t", L"changed"));
        SendMessageW(edit, EM_SETSEL, 3, 3);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
        EXPECT_EQ(1, d.CountEvents(L"t", L"changed"));
        SendMessageW(edit, WM_CHAR, L'y', 0);
        EXPECT_EQ(2, d.CountEvents(L"t", L"changed"));
        EXPECT_EQ(L"setxy", TextOrNull(d.Get(L"t").GetText()));
    });
    EXPECT_EQ(2u, dialog.events.size());
}

TEST_F(TextButtonControls, TextBoxValuesReadTheWindowAsTextOrNumber) {
    RunDialog(R"(<dialog><vbox>
        <textbox id="t"/><textbox id="limited" maxlength="3"/><textbox id="initial" value="start"/>
    </vbox></dialog>)",
              [&](TestDialog& d) {
                  CTEVElement& box = d.Get(L"t");
                  EXPECT_EQ(nullptr, box.GetText());
                  EXPECT_EQ(0, box.GetValue());
                  box.SetValue(-5);
                  EXPECT_EQ(L"-5", WindowText(box));
                  EXPECT_EQ(-5, box.GetValue());
                  box.SetText(L"  +42 apples");
                  EXPECT_EQ(42, box.GetValue());
                  box.SetText(L"Round trip through the own buffer");
                  box.SetText(box.GetText());
                  EXPECT_EQ(L"Round trip through the own buffer", TextOrNull(box.GetText()));
                  EXPECT_EQ(L"start", WindowText(d.Get(L"initial")));

                  HWND limited = d.Get(L"limited").Window();
                  SendMessageW(limited, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"abcdef"));
                  EXPECT_EQ(L"abc", TextOrNull(d.Get(L"limited").GetText()));
              });
}

TEST_F(TextButtonControls, TextBoxesMeasureLettersAndRowsOfW) {
    RunDialog(R"(<dialog><vbox>
        <textbox id="single"/>
        <textbox id="multi" multiline="true" textrows="3" textcols="20" textalign="center"/>
    </vbox></dialog>)",
              [&](TestDialog& d) {
                  const int row = Dlu(d.Hwnd(), 1, 14).cy;
                  // Ten letters W by default, a row of 14 units per text row; the edges take the same
                  // room whatever the letters.
                  const int ten = TextExtent(d.Hwnd(), std::wstring(10, L'W').c_str()).cx;
                  const int twenty = TextExtent(d.Hwnd(), std::wstring(20, L'W').c_str()).cx;
                  const SIZE single = MinSizeOf(d.Get(L"single"));
                  EXPECT_GT(single.cx, ten);
                  EXPECT_EQ(row, single.cy);
                  EXPECT_EQ((SIZE{single.cx - ten + twenty, 3 * row}), MinSizeOf(d.Get(L"multi")));
                  EXPECT_NE(0, StyleOf(d.Get(L"single")) & ES_AUTOHSCROLL);
                  const LONG multi = StyleOf(d.Get(L"multi"));
                  EXPECT_NE(0, multi & ES_MULTILINE);
                  EXPECT_NE(0, multi & ES_CENTER);
                  EXPECT_EQ(0, multi & ES_AUTOHSCROLL);
              });
}

TEST_F(TextButtonControls, TextBoxSizesInLettersAndRowsAreClampedToSaneBounds) {
    // Fixed dialog size: only the measuring is under test, not a window of that size.
    TestDialog dialog(engine, R"(<dialog width="100" height="50"><vbox>
        <textbox id="huge" multiline="true" textcols="100000000" textrows="100000000"/>
        <textbox id="negative" size="-5"/>
        <textbox id="zero" multiline="true" textcols="0" textrows="0"/>
    </vbox></dialog>)");
    const DWORD start = GetTickCount();
    dialog.Run([&](TestDialog& d) {
        const int row = Dlu(d.Hwnd(), 1, 14).cy;
        // At most 1000 letters by 500 rows, at least one letter by one row.
        const SIZE oneLetter = MinSizeOf(d.Get(L"negative"));
        EXPECT_EQ(row, oneLetter.cy);
        EXPECT_EQ(oneLetter, MinSizeOf(d.Get(L"zero")));
        const int moreLetters =
            TextExtent(d.Hwnd(), std::wstring(1000, L'W').c_str()).cx - TextExtent(d.Hwnd(), L"W").cx;
        EXPECT_EQ((SIZE{oneLetter.cx + moreLetters, 500 * row}), MinSizeOf(d.Get(L"huge")));
    });
    EXPECT_LT(GetTickCount() - start, 15000u);
}

TEST_F(TextButtonControls, GroupBoxChildrenAreDialogWindowsInsideItsMargins) {
    TestDialog dialog(
        engine,
        R"(<dialog><groupbox id="g" label="Group"><button id="b" label="Inside"/></groupbox></dialog>)");
    dialog.Run([&](TestDialog& d) {
        const RECT frame = d.ClientRectOf(L"g");
        const RECT button = d.ClientRectOf(L"b");
        const SIZE leftTop = Dlu(d.Hwnd(), 7, 11);
        const SIZE rightBottom = Dlu(d.Hwnd(), 8, 7);
        EXPECT_EQ(leftTop.cx, button.left - frame.left);
        EXPECT_EQ(leftTop.cy, button.top - frame.top);
        EXPECT_EQ(rightBottom.cx, frame.right - button.right);
        EXPECT_EQ(rightBottom.cy, frame.bottom - button.bottom);
        HWND buttonWindow = d.Get(L"b").Window();
        EXPECT_EQ(d.Hwnd(), GetParent(buttonWindow));
        // The frame lies below the button in the Z order.
        HWND below = buttonWindow;
        while (below && below != d.Get(L"g").Window()) {
            below = GetWindow(below, GW_HWNDNEXT);
        }
        EXPECT_NE(nullptr, below);
    });
}

TEST_F(TextButtonControls, LinesAndSpacersTakeTheirSizesInDialogUnits) {
    RunDialog(R"(<dialog><hbox>
        <line id="h"/><line id="v" type="etchedvert"/><line id="tall" type="EtchedVert" height="30"/>
        <spacer id="s" width="20" height="10"/>
    </hbox></dialog>)",
              [&](TestDialog& d) {
                  EXPECT_EQ(Dlu(d.Hwnd(), 14, 2), MinSizeOf(d.Get(L"h")));
                  EXPECT_EQ(Dlu(d.Hwnd(), 2, 14), MinSizeOf(d.Get(L"v")));
                  EXPECT_EQ(Dlu(d.Hwnd(), 2, 30), MinSizeOf(d.Get(L"tall")));
                  EXPECT_EQ(SS_ETCHEDVERT, StyleOf(d.Get(L"v")) & SS_TYPEMASK);
                  EXPECT_EQ(SS_ETCHEDHORZ, StyleOf(d.Get(L"h")) & SS_TYPEMASK);
                  EXPECT_EQ(Dlu(d.Hwnd(), 20, 10), MinSizeOf(d.Get(L"s")));
                  EXPECT_EQ(nullptr, d.Get(L"s").Window());
              });
}
