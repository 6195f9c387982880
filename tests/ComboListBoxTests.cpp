// Combo boxes and list boxes: entries with item data, the value and text interface, sorting,
// and "changed" after the behaviour children, on real controls in real dialogs.
#include "CTEVComboBox.h"
#include "CTEVListBox.h"
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

// A behaviour element that notes how many events the dialog had seen when it was executed.
class Probe : public CTEVElement {
public:
    Probe(CTEVElement* parent, CTEVEngine* engine, std::vector<size_t>& log)
        : CTEVElement(parent, engine), m_log(log) {}
    void Execute(CTEVElement*) override {
        auto* dialog = dynamic_cast<TestDialog*>(GetRoot());
        m_log.push_back(dialog ? dialog->events.size() : SIZE_MAX);
    }

private:
    std::vector<size_t>& m_log;
};

class ProbeEngine : public StockEngine {
public:
    std::unique_ptr<CTEVElement> CreateElement(const wchar_t* tag, CTEVElement* parent) override {
        if (EqualsNoCase(tag, L"probe")) {
            return std::make_unique<Probe>(parent, this, executions);
        }
        return StockEngine::CreateElement(tag, parent);
    }
    std::vector<size_t> executions; // events seen at each execution
};

class ComboListBox : public EngineTest<ProbeEngine> {};

void SendCommand(TestDialog& dialog, CTEVElement& control, int code) {
    SendMessageW(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(control.ControlId(), code),
                 reinterpret_cast<LPARAM>(control.Window()));
}

} // namespace

TEST_F(ComboListBox, ValuesAreTheItemDataOfTheSelectedEntry) {
    RunDialog(R"(<dialog>
      <combobox id="combo"><listitem label="A" value="5"/><listitem label="B" value="-1"/>
        <listitem label="C" value="5"/><listitem label="D"/></combobox>
      <listbox id="list"><listitem label="A" value="5"/><listitem label="B" value="7"/>
        <listitem label="C" value="5"/></listbox></dialog>)",
              [&](TestDialog& d) {
                  for (const wchar_t* id : {L"combo", L"list"}) {
                      CTEVElement& control = d.Get(id);
                      EXPECT_EQ(-1, control.GetValue()) << Narrow(id);
                      control.SetValue(5);
                      EXPECT_EQ(5, control.GetValue()) << Narrow(id);
                      control.SetValue(99); // no entry has it: the selection stays
                      EXPECT_EQ(5, control.GetValue()) << Narrow(id);
                  }
                  // Shared values select the first entry that has them.
                  EXPECT_EQ(0, SendMessageW(d.Get(L"combo").Window(), CB_GETCURSEL, 0, 0));
                  EXPECT_EQ(0, SendMessageW(d.Get(L"list").Window(), LB_GETCURSEL, 0, 0));
                  d.Get(L"combo").SetValue(0);
                  EXPECT_EQ(3, SendMessageW(d.Get(L"combo").Window(), CB_GETCURSEL, 0, 0));
                  // An entry's data of -1 cannot be told from no selection, which is what disablers test.
                  d.Get(L"combo").SetValue(-1);
                  EXPECT_EQ(-1, d.Get(L"combo").GetValue());
                  EXPECT_TRUE(d.events.empty());
              });
}

TEST_F(ComboListBox, SortingPlacesEntriesButItemDataStaysWithItsText) {
    RunDialog(
        R"(<dialog><combobox id="sorted" sorted="true"/><combobox id="plain"/>
        <listbox id="projects" sort="true"/></dialog>)",
        [&](TestDialog& d) {
            auto& sorted = d.As<CTEVComboBox>(L"sorted");
            auto& plain = d.As<CTEVComboBox>(L"plain");
            auto& projects = d.As<CTEVListBox>(L"projects");
            const std::pair<int, const wchar_t*> entries[] = {
                {0, L"Pear"}, {1, L"Apple"}, {2, L"Same"}, {3, L"Same"}};
            for (const auto& [data, text] : entries) {
                sorted.AddItem(data, text);
                plain.AddItem(data, text);
                projects.AddItem(data, text);
            }
            using Entries = std::vector<std::wstring>;
            EXPECT_EQ((Entries{L"Apple", L"Pear", L"Same", L"Same"}), ComboEntries(sorted.Window()));
            EXPECT_EQ((Entries{L"Pear", L"Apple", L"Same", L"Same"}), ComboEntries(plain.Window()));
            EXPECT_EQ((Entries{L"Apple", L"Pear", L"Same", L"Same"}), ListBoxEntries(projects.Window()));

            // Selecting by data finds the right one of two equal names, wherever sorting put it.
            for (CTEVElement* control :
                 {static_cast<CTEVElement*>(&sorted), static_cast<CTEVElement*>(&plain),
                  static_cast<CTEVElement*>(&projects)}) {
                for (int data : {3, 0, 2, 1}) {
                    control->SetValue(data);
                    EXPECT_EQ(data, control->GetValue());
                }
            }
            sorted.SetValue(0);
            EXPECT_EQ(L"Pear", TextOrNull(sorted.GetText()));

            sorted.ResetContent();
            EXPECT_EQ(0, SendMessageW(sorted.Window(), CB_GETCOUNT, 0, 0));
            EXPECT_EQ(-1, sorted.GetValue());
            sorted.AddItem(-1, L"<All dialogs>");
            sorted.SetValue(-1);
            EXPECT_EQ(L"<All dialogs>", TextOrNull(sorted.GetText()));
        });
}

TEST_F(ComboListBox, ChangedIsFiredAfterTheBehaviourChildrenRan) {
    RunDialog(R"(<dialog>
      <combobox id="combo"><listitem label="A" value="1"/><listitem label="B" value="2"/><probe/></combobox>
      <combobox id="edit" editable="true"><probe/></combobox>
      <listbox id="list"><listitem label="A" value="1"/><listitem label="B" value="2"/><probe/></listbox>
    </dialog>)",
              [&](TestDialog& d) {
                  // A user's pick, made with the keyboard as the controls themselves answer it.
                  SendMessageW(d.Get(L"combo").Window(), WM_KEYDOWN, VK_DOWN, 0);
                  SendMessageW(d.Get(L"list").Window(), WM_KEYDOWN, VK_DOWN, 0);
                  ASSERT_EQ(2u, d.events.size());
                  EXPECT_EQ(L"combo", d.events[0].source);
                  EXPECT_EQ(L"changed", d.events[0].name);
                  EXPECT_EQ(L"list", d.events[1].source);
                  EXPECT_EQ(L"changed", d.events[1].name);
                  EXPECT_EQ((std::vector<size_t>{0, 1}), engine.executions);
                  EXPECT_NE(-1, d.Get(L"combo").GetValue());
                  EXPECT_NE(-1, d.Get(L"list").GetValue());

                  // Typing in an editable box reports every edit; other notifications report nothing.
                  SendCommand(d, d.Get(L"edit"), CBN_EDITCHANGE);
                  SendCommand(d, d.Get(L"combo"), CBN_DROPDOWN);
                  SendCommand(d, d.Get(L"list"), LBN_DBLCLK);
                  EXPECT_EQ(3, static_cast<int>(d.events.size()));
                  EXPECT_EQ((std::vector<size_t>{0, 1, 2}), engine.executions);

                  // Values set by the application run the children but raise no event.
                  d.Get(L"combo").SetValue(2);
                  d.Get(L"list").SetValue(42);
                  EXPECT_EQ(3, static_cast<int>(d.events.size()));
                  EXPECT_EQ((std::vector<size_t>{0, 1, 2, 3, 3}), engine.executions);
              });
}

TEST_F(ComboListBox, TextOfAFixedComboIsTheSelectedEntry) {
    const std::string longLabel(5000, 'x');
    TestDialog dialog(engine,
                      R"(<dialog><combobox id="combo"><listitem label=""/><listitem label="Beta" value="2"/>
        <listitem label=")" +
                          longLabel + R"(" value="3"/><probe/></combobox></dialog>)");
    dialog.Run([&](TestDialog& d) {
        CTEVElement& combo = d.Get(L"combo");
        EXPECT_EQ(nullptr, combo.GetText());
        combo.SetValue(3);
        EXPECT_EQ(Widen(longLabel), TextOrNull(combo.GetText()));
        engine.executions.clear();

        // Matched ignoring case; an unknown or empty text changes and runs nothing.
        combo.SetText(L"BETA");
        EXPECT_EQ(2, combo.GetValue());
        EXPECT_EQ(1u, engine.executions.size());
        combo.SetText(L"Gamma");
        combo.SetText(L"");
        combo.SetText(nullptr);
        EXPECT_EQ(2, combo.GetValue());
        EXPECT_EQ(1u, engine.executions.size());
        // Setting the text it answered keeps the selection.
        combo.SetText(combo.GetText());
        EXPECT_EQ(2, combo.GetValue());
        EXPECT_TRUE(d.events.empty());
    });
}

TEST_F(ComboListBox, TextOfAnEditableComboIsTheTypedTextUntilAnEntryIsSelected) {
    RunDialog(R"(<dialog><combobox id="edit" editable="true">
        <listitem label="Entry" value="1"/><probe/></combobox></dialog>)",
              [&](TestDialog& d) {
                  CTEVElement& edit = d.Get(L"edit");
                  EXPECT_EQ(nullptr, edit.GetText());
                  const std::wstring typed(3000, L'y');
                  SetWindowTextW(edit.Window(), typed.c_str());
                  EXPECT_EQ(typed, TextOrNull(edit.GetText()));

                  // The buffer GetText answered is a valid argument to SetText.
                  engine.executions.clear();
                  edit.SetText(L"first");
                  edit.SetText(edit.GetText());
                  EXPECT_EQ(L"first", WindowText(edit));
                  EXPECT_EQ(2u, engine.executions.size());
                  edit.SetText(nullptr);
                  EXPECT_EQ(nullptr, edit.GetText());

                  edit.SetValue(1);
                  EXPECT_EQ(L"Entry", TextOrNull(edit.GetText()));
                  EXPECT_TRUE(d.events.empty());
              });
}

TEST_F(ComboListBox, ComboWidthComesFromItsEntriesOrItsSize) {
    RunDialog(R"(<dialog><box orient="vertical">
        <combobox id="empty"/><combobox id="entries"><listitem label="Short"/><listitem label="A longer label"/>
        </combobox><combobox id="wide" size="20"/>
        <combobox id="explicit" width="80"><listitem label="Some label"/></combobox>
        <box minheight="20"><combobox id="dropped"/></box></box></dialog>)",
              [&](TestDialog& d) {
                  const int w = TextExtent(nullptr, L"W").cx;
                  const int rowHeight = Dlu(d.Hwnd(), 1, 14).cy;
                  // Without entries the box holds ten letters W, or as many as its size; with entries
                  // the longest one. Either way beside the drop-down arrow.
                  const int empty = MinSizeOf(d.Get(L"empty")).cx;
                  const int longest = TextExtent(nullptr, L"A longer label").cx;
                  EXPECT_GT(empty, 10 * w + GetSystemMetrics(SM_CXVSCROLL));
                  EXPECT_EQ(rowHeight, MinSizeOf(d.Get(L"empty")).cy);
                  EXPECT_EQ(empty - 10 * w + longest, MinSizeOf(d.Get(L"entries")).cx);
                  EXPECT_EQ(empty + 10 * w, MinSizeOf(d.Get(L"wide")).cx);
                  EXPECT_EQ(Dlu(d.Hwnd(), 80, 14).cx, MinSizeOf(d.Get(L"explicit")).cx);

                  // The window reaches five laid-out heights down, room for the dropped list.
                  EXPECT_EQ(CBS_DROPDOWNLIST, StyleOf(d.Get(L"dropped")) & 3);
                  RECT window = {};
                  GetWindowRect(d.Get(L"dropped").Window(), &window);
                  COMBOBOXINFO info = {sizeof(info)};
                  GetComboBoxInfo(d.Get(L"dropped").Window(), &info);
                  SendMessageW(d.Get(L"dropped").Window(), CB_SHOWDROPDOWN, TRUE, 0);
                  RECT list = {};
                  GetWindowRect(info.hwndList, &list);
                  EXPECT_GE(list.bottom - window.top, 3 * rowHeight);
                  SaveScreenshot(d.Hwnd(), L"combobox-dropped");
                  SendMessageW(d.Get(L"dropped").Window(), CB_SHOWDROPDOWN, FALSE, 0);
              });

    RunDialog(R"(<dialog><combobox id="empty"/><combobox id="huge" size="2000000000"/></dialog>)",
              [&](TestDialog& d) {
                  EXPECT_EQ(MinSizeOf(d.Get(L"empty")).cx +
                                (CTEVComboBox::kMaxSizeInCharacters - 10) * TextExtent(nullptr, L"W").cx,
                            MinSizeOf(d.Get(L"huge")).cx);
              });
}

TEST_F(ComboListBox, ListBoxSizeComesFromItsEntriesOrTheDefault) {
    RunDialog(R"(<dialog><listbox id="three"><listitem label="One"/><listitem label="Three"/>
        <listitem label="Twenty-two"/></listbox><listbox id="one"><listitem label="Twenty-two"/></listbox>
        <listbox id="empty"/>
        <listbox id="sized" width="30" height="10"/></dialog>)",
              [&](TestDialog& d) {
                  const SIZE line = TextExtent(nullptr, L"Twenty-two");
                  // Wider than the longest entry, and a line taller for every entry.
                  const SIZE three = MinSizeOf(d.Get(L"three"));
                  const SIZE one = MinSizeOf(d.Get(L"one"));
                  EXPECT_GT(three.cx, line.cx);
                  EXPECT_EQ(one.cx, three.cx);
                  EXPECT_EQ(one.cy + 2 * line.cy, three.cy);
                  EXPECT_GT(one.cy, line.cy);
                  const SIZE empty = MinSizeOf(d.Get(L"empty"));
                  EXPECT_EQ(Dlu(d.Hwnd(), 48, 40).cx, empty.cx);
                  EXPECT_EQ(Dlu(d.Hwnd(), 48, 40).cy, empty.cy);
                  const SIZE sized = MinSizeOf(d.Get(L"sized"));
                  EXPECT_EQ(Dlu(d.Hwnd(), 30, 10).cx, sized.cx);
                  EXPECT_EQ(Dlu(d.Hwnd(), 30, 10).cy, sized.cy);
                  EXPECT_EQ(static_cast<LONG>(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT),
                            StyleOf(d.Get(L"three")) & (LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_SORT));
                  SaveScreenshot(d.Hwnd(), L"listbox");
              });
}

TEST_F(ComboListBox, DisablersFollowTheDialogPickerAsTheMainWindowFillsIt) {
    RunDialog(R"(<dialog><combobox id="dialog" sorted="false" editable="false">
        <disabler applyto="testDlg" disable="true" intval="-1" type="int"/></combobox>
        <button id="testDlg" label="Show Translated"/></dialog>)",
              [&](TestDialog& d) {
                  auto& picker = d.As<CTEVComboBox>(L"dialog");
                  HWND button = d.Get(L"testDlg").Window();
                  picker.ResetContent();
                  picker.AddItem(-1, L"<All dialogs>");
                  picker.AddItem(0, L"Main");
                  picker.AddItem(1, L"Options");
                  picker.SetValue(-1);
                  EXPECT_FALSE(IsWindowEnabled(button));
                  EXPECT_EQ(L"<All dialogs>", TextOrNull(picker.GetText()));

                  SendMessageW(picker.Window(), WM_KEYDOWN, VK_DOWN, 0);
                  EXPECT_EQ(0, picker.GetValue());
                  EXPECT_TRUE(IsWindowEnabled(button));
                  EXPECT_EQ(1, d.CountEvents(L"dialog", L"changed"));
                  picker.SetValue(-1);
                  EXPECT_FALSE(IsWindowEnabled(button));
              });
}
