// Check boxes, radio buttons and radio groups as real controls in real dialogs: measuring,
// clicks through the controls themselves, values and the group's single "changed".
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

class ChoiceControls : public EngineTest<> {};

// What a mouse click on the control sends: the control changes its own state and notifies.
void ClickControl(TestDialog& dialog, const wchar_t* id) {
    SendMessageW(dialog.Get(id).Window(), BM_CLICK, 0, 0);
}

} // namespace

TEST_F(ChoiceControls, CheckBoxesAndRadiosMeasureTheirMarkGapAndLabel) {
    RunDialog(
        R"(<dialog><vbox>
        <box minwidth="100"/>
        <checkbox id="c" label="Check me"/><checkbox id="bare"/><radio id="r" label="Pick me"/>
        <radio id="wrapped" multiline="true" label="A radio label long enough to wrap in a narrow column"/>
    </vbox></dialog>)",
        [&](TestDialog& d) {
            // Ten units tall; the mark or circle with its gap takes less room before the label
            // than the control is tall (the pixel tests hold the exact room), and no label
            // measures as one letter W.
            const int height = Dlu(d.Hwnd(), 1, 10).cy;
            const SIZE check = MinSizeOf(d.Get(L"c"));
            const int markRoom = check.cx - TextExtent(d.Hwnd(), L"Check me").cx;
            EXPECT_EQ(height, check.cy);
            EXPECT_GT(markRoom, 0);
            EXPECT_LT(markRoom, height);
            EXPECT_LT(MinSizeOf(d.Get(L"bare")).cx, check.cx);
            const SIZE radio = MinSizeOf(d.Get(L"r"));
            EXPECT_EQ(height, radio.cy);
            EXPECT_GT(radio.cx - TextExtent(d.Hwnd(), L"Pick me").cx, 0);

            // The multiline radio was given the 100-pixel column and wraps inside it: more lines,
            // and the laid-out control as tall as it measured.
            const SIZE wrapped = MinSizeOf(d.Get(L"wrapped"));
            EXPECT_EQ(100, wrapped.cx);
            EXPECT_GE(wrapped.cy, 2 * TextExtent(d.Hwnd(), L"W").cy);
            const RECT rect = d.ClientRectOf(L"wrapped");
            EXPECT_EQ(wrapped.cy, rect.bottom - rect.top);
            EXPECT_NE(0, StyleOf(d.Get(L"wrapped")) & BS_MULTILINE);
        });
}

TEST_F(ChoiceControls, CheckBoxClicksFireChangedAndAutoDecidesWhoToggles) {
    TestDialog dialog(engine, R"(<dialog><vbox>
        <checkbox id="auto" label="Auto"/><checkbox id="manual" auto="false" label="Manual"/>
        <checkbox id="three" triState="true" label="Three"/><checkbox id="preset" checked="true" label="Preset"/>
    </vbox></dialog>)");
    dialog.Run([&](TestDialog& d) {
        EXPECT_EQ(0, d.Get(L"auto").GetValue());
        EXPECT_EQ(1, d.Get(L"preset").GetValue());
        ClickControl(d, L"auto");
        EXPECT_EQ(1, d.Get(L"auto").GetValue());
        ClickControl(d, L"manual");
        EXPECT_EQ(0, d.Get(L"manual").GetValue());
        EXPECT_EQ(1, d.CountEvents(L"manual", L"changed"));

        std::vector<int> cycle;
        for (int i = 0; i < 3; ++i) {
            ClickControl(d, L"three");
            cycle.push_back(d.Get(L"three").GetValue());
        }
        EXPECT_EQ((std::vector<int>{1, 2, 0}), cycle);
        EXPECT_EQ(3, d.CountEvents(L"three", L"changed"));

        const size_t eventsBefore = d.events.size();
        d.Get(L"manual").SetValue(1);
        d.Get(L"three").SetValue(2);
        EXPECT_EQ(1, d.Get(L"manual").GetValue());
        EXPECT_EQ(2, d.Get(L"three").GetValue());
        EXPECT_EQ(eventsBefore, d.events.size());
    });
    EXPECT_EQ(1, dialog.CountEvents(L"auto", L"changed"));
}

TEST_F(ChoiceControls, ARadioGroupReportsTheCheckedValueAndFiresChangedForItsRadios) {
    RunDialog(R"(<dialog><vbox>
        <radiogroup id="g" orient="vertical">
            <radio id="r1" value="1" label="One"/><radio id="r2" value="2" label="Two"/>
            <radio id="r3" value="3" label="Three"/><box><radio id="deep" value="9" label="Nested"/></box>
        </radiogroup>
        <radiogroup id="twins"><radio id="t1" value="5" label="A"/><radio id="t2" value="5" label="B"/></radiogroup>
        <radio id="alone" label="Alone"/>
    </vbox></dialog>)",
              [&](TestDialog& d) {
                  CTEVElement& group = d.Get(L"g");
                  EXPECT_EQ(0, group.GetValue());
                  group.SetValue(2);
                  EXPECT_EQ(2, group.GetValue());
                  EXPECT_EQ(1, d.Get(L"r2").GetValue());
                  group.SetValue(7);
                  EXPECT_EQ(0, group.GetValue());
                  EXPECT_TRUE(d.events.empty());

                  ClickControl(d, L"r3");
                  EXPECT_EQ(3, group.GetValue());
                  ClickControl(d, L"r3");
                  ClickControl(d, L"deep");
                  EXPECT_EQ(3, d.CountEvents(L"g", L"changed"));
                  EXPECT_EQ(0, d.CountEvents(L"r3", L"changed"));
                  EXPECT_EQ(0, d.CountEvents(L"deep", L"changed"));

                  // Both twins are set; version 6 radio buttons then keep only the last one checked.
                  d.Get(L"twins").SetValue(5);
                  EXPECT_EQ(1, d.Get(L"t2").GetValue());
                  EXPECT_EQ(5, d.Get(L"twins").GetValue());

                  ClickControl(d, L"alone");
                  EXPECT_EQ(1, d.CountEvents(L"alone", L"changed"));
              });
}

TEST_F(ChoiceControls, OnlyARadioThatIsTheGroupsFirstChildStartsATabGroup) {
    RunDialog(R"(<dialog><hbox>
        <radiogroup orient="vertical"><radio id="first" label="First"/><radio id="second" label="Second"/></radiogroup>
        <radiogroup orient="vertical"><label value="Choose"/><radio id="late" label="Late"/></radiogroup>
    </hbox></dialog>)",
              [&](TestDialog& d) {
                  EXPECT_NE(0, StyleOf(d.Get(L"first")) & WS_GROUP);
                  EXPECT_EQ(0, StyleOf(d.Get(L"second")) & WS_GROUP);
                  EXPECT_EQ(0, StyleOf(d.Get(L"late")) & WS_GROUP);
                  // Radios of a group sit 3 vertical dialog units apart, closer than the dialog's 4.
                  EXPECT_EQ(Dlu(d.Hwnd(), 4, 3).cy,
                            d.ClientRectOf(L"second").top - d.ClientRectOf(L"first").bottom);
              });
}

TEST_F(ChoiceControls, EveryTextButtonAndChoiceControlLaysOutWithoutOverlap) {
    TestDialog dialog(engine, R"(<dialog caption="All controls"><vbox>
        <label id="label" value="A label on one line"/>
        <label id="wrapped" multiline="true" value="A wrapping label whose words continue on a second line when the column is narrow."/>
        <textbox id="text" value="Single line"/>
        <textbox id="memo" multiline="true" textrows="2" textcols="20" value="Two rows"/>
        <line id="line"/>
        <groupbox id="group" label="Options">
            <vbox><checkbox id="check" label="Check box" checked="true"/>
            <radiogroup id="radios"><radio id="a" value="1" label="First" selected="true"/><radio id="b" value="2" label="Second"/></radiogroup></vbox>
        </groupbox>
        <hbox><spacer hFlex="1"/><button id="ok" dlgType="accept" label="OK"/><button id="cancel" dlgType="cancel" label="Cancel"/></hbox>
    </vbox></dialog>)");
    const wchar_t* ids[] = {L"label", L"wrapped", L"text", L"memo", L"line", L"group", L"ok", L"cancel"};
    dialog.Run([&](TestDialog& d) {
        SaveScreenshot(d.Hwnd(), L"text-button-choice-controls");
        RECT client = {};
        GetClientRect(d.Hwnd(), &client);
        for (const wchar_t* id : ids) {
            const RECT rect = d.ClientRectOf(id);
            RECT inside = {};
            EXPECT_TRUE(IntersectRect(&inside, &rect, &client) && inside == rect) << Narrow(id);
            for (const wchar_t* other : ids) {
                RECT overlap = {};
                const RECT otherRect = d.ClientRectOf(other);
                EXPECT_TRUE(id == other || !IntersectRect(&overlap, &rect, &otherRect))
                    << Narrow(id) << Narrow(other);
            }
        }
        EXPECT_EQ(1, d.Get(L"radios").GetValue());
        EXPECT_EQ(1, d.Get(L"check").GetValue());
    });
}
