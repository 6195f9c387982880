// The clipping check on projects in temporary folders: translated texts that do not fit their
// controls, controls pushed past the dialog's edge, and a check that never shows a window.
#include "CMyTEVEngine.h"
#include "ControlMeasures.h"
#include "DialogDriver.h"
#include "GdiHandles.h"
#include "LayoutCheck.h"
#include "ProjectModel.h"
#include "TestSupport.h"
#include "TextRoom.h"
#include "UserHandles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A fixed-width dialog whose flexible column is narrower than its buttons need: one to translate, one
// that the original already clips (it has no translation), and a row wider than the dialog.
const char kDialog[] = R"(<dialog caption="D" width="80" orient="vertical">
    <button id="apply" locid="apply" label="Apply" hFlex="1"/>
    <button id="narrow" locid="narrow" label="A label far too long for this dialog"/>
    <hbox hFlex="1"><vbox hFlex="1"><hbox><button id="left" locid="left" label="L"/></hbox></vbox>
        <button id="right" label="R"/></hbox>
</dialog>)";
const char kStrings[] = R"(<s id="apply" attr="label" text="Apply"/><s id="narrow" attr="label" text="N"/>
    <s id="left" attr="label" text="L"/>)";
const wchar_t kLongApply[] = L"Einstellungen jetzt wirklich übernehmen";

// Entries and tab labels in a dialog too narrow for the longer ones.
const char kEntriesAndTabs[] = R"(<dialog width="90" orient="vertical">
    <combobox width="50"><listitem id="e1" locid="e1" value="1" label="Eins"/>
        <listitem value="2" label="Ein sehr langer Eintrag, der nicht passt"/></combobox>
    <listbox hFlex="1"><listitem locid="e2" value="1" label="Eins"/></listbox>
    <tabbox hFlex="1"><tabpanel label="Erste Seite"><spacer/></tabpanel>
        <tabpanel id="t2" locid="t2" label="Zweite"><spacer/></tabpanel></tabbox>
</dialog>)";

// Every kind of control that shows a translated text of its own.
struct TextKind {
    const char* tag;
    const char* attr; // the attribute its text is translated through
    const char* extra;
    bool wraps;
};
const TextKind kTextKinds[] = {
    {"button", "label", "", false},
    {"checkbox", "label", "", false},
    {"radio", "label", "", false},
    {"radio", "label", R"(multiline="true")", true},
    {"groupbox", "label", "", false},
    {"label", "value", "", false},
    {"label", "value", R"(multiline="true")", true},
    {"url", "text", "", false},
};

std::string Element(const TextKind& kind, const std::string& attributes, const std::string& text) {
    return std::string("<") + kind.tag + " " + kind.extra + " " + attributes + " " + kind.attr + "=\"" +
           text + "\"/>";
}

// One past the rightmost column in which the control draws anything but its background, when
// printed width pixels wide.
int InkEnd(HWND control, int width) {
    RECT client = {};
    GetClientRect(control, &client);
    SetWindowPos(control, nullptr, 0, 0, width, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    const int height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    MemoryDC dc(nullptr);
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectedObject selected(dc.Get(), bitmap.Get());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    GdiObject<HBRUSH> background(CreateSolidBrush(face));
    const RECT all = {0, 0, width, height};
    FillRect(dc.Get(), &all, background.Get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    const DWORD faceColour = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    for (int x = width - 1; x >= 0; --x) {
        for (int y = 0; y < height; ++y) {
            if ((pixels[y * width + x] & 0xFFFFFF) != faceColour) {
                return x + 1;
            }
        }
    }
    return 0;
}

class LayoutCheck : public testing::Test {
protected:
    TempDir folder;
    ProjectModel model;

    void Load(const std::string& translation, const std::string& dialog = kDialog,
              const std::string& strings = kStrings) {
        WriteUtf8File(folder.File(L"dlg.xml"), dialog);
        WriteUtf8File(folder.File(L"tevproject.xml"),
                      R"(<tevproject name="P" dst="s.xml"><strings>)" + strings +
                          R"(</strings><files><f name="dlg.xml"/></files></tevproject>)");
        WriteUtf8File(folder.File(L"s.xml"), "<strings>" + translation + "</strings>");
        ASSERT_EQ(LoadStatus::Loaded,
                  model.Load(folder.File(L"tevproject.xml"), folder.File(L"s.xml"), 1031).status);
    }
};

} // namespace

TEST_F(LayoutCheck, ATranslationTooLongForItsButtonIsFoundWithItsNumbersAndNothingIsShown) {
    Load("");
    model.SetLoc(0, kLongApply); // unsaved: the check takes the model's translations

    const ShownWindows shown;
    const std::vector<LayoutFinding> findings = CheckDialogLayout(model, 0);
    EXPECT_TRUE(shown.Windows().empty());
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"D")); // nor left behind

    ASSERT_EQ(1u, findings.size());
    const LayoutFinding& found = findings[0];
    EXPECT_EQ(LayoutProblem::TextClipped, found.problem);
    EXPECT_EQ(0u, found.dialog);
    EXPECT_EQ(0u, found.string);
    EXPECT_EQ(L"apply", found.element);
    EXPECT_FALSE(found.vertical);

    // The same dialog as the preview shows it, from the saved translation file.
    ASSERT_TRUE(model.SaveStrings());
    CTEVEngine engine(GetModuleHandleW(nullptr));
    engine.LoadStrings(model.TranslationPath().c_str());
    TestDialog preview(engine, model.Dialogs()[0].path.c_str());
    preview.Run([&](TestDialog& dialog) {
        HWND button = dialog.Get(L"apply").Window();
        RECT client = {};
        GetClientRect(button, &client);
        EXPECT_EQ(client.right, found.available);
        EXPECT_EQ(dialog.As<ITextRoom>(L"apply").MeasureTextRoom()->needed.cx, found.needed);
    });
    EXPECT_GT(found.needed, found.available);
    EXPECT_EQ(FormatText(L"\"%s\" needs %d px, has %d px", kLongApply, found.needed, found.available),
              found.Describe());
}

TEST_F(LayoutCheck, TranslationsThatFitAndUntranslatedClippedControlsGiveNoFindings) {
    Load(R"(<string id="apply" attr="label" loc="Anwenden"/>)");
    EXPECT_TRUE(CheckProjectLayout(model).empty());
}

TEST_F(LayoutCheck, AControlPushedPastTheDialogEdgeAndOverItsNeighbourIsFound) {
    Load(R"(<string id="left" attr="label" loc="Ein sehr langer Text, der alles hinausschiebt"/>)");
    const std::vector<LayoutFinding> findings = CheckProjectLayout(model);
    // "right" is past the edge too, and "left" lies over it already in the original, but only the
    // translated "left" is blamed.
    ASSERT_EQ(2u, findings.size());
    EXPECT_EQ(LayoutProblem::OutsideDialog, findings[0].problem);
    EXPECT_EQ(2u, findings[0].string);
    EXPECT_EQ(L"left", findings[0].element);
    EXPECT_GT(findings[0].needed, findings[0].available);
    EXPECT_EQ(FormatText(L"extends %d px past the dialog", findings[0].needed - findings[0].available),
              findings[0].Describe());
    EXPECT_EQ(LayoutProblem::Overlap, findings[1].problem);
    EXPECT_EQ(L"right", findings[1].other);
    EXPECT_EQ(L"overlaps \"right\"", findings[1].Describe());
}

TEST_F(LayoutCheck, EachKindOfControlMeasuresItsTextAsItMeasuresItself) {
    const std::string text = "Ein &amp;langer Text mit (Klammern) und Wörtern";
    for (const char* width : {"", R"(width="60")"}) {
        for (const TextKind& kind : kTextKinds) {
            SCOPED_TRACE(std::string(kind.tag) + " " + kind.extra + " " + width);
            Load(std::string(R"(<string id="c" attr=")") + kind.attr + R"(" loc=")" + text + R"("/>)",
                 std::string(R"(<dialog orient="vertical" )") + width + "><" + kind.tag +
                     R"( hFlex="1" locid="c" )" + kind.attr + R"(="x" )" + kind.extra + "/><label value=\"" +
                     text + "\"/></dialog>",
                 std::string(R"(<s id="c" attr=")") + kind.attr + R"(" text="x"/>)");
            const std::vector<LayoutFinding> findings = CheckProjectLayout(model);
            // Laid out as wide as the line needs (the untranslated label beneath asks for that much
            // room for the wrapping ones), no control is found clipped.
            // At a fixed width too small for one line, the wrapping ones take more lines.
            const bool expected = *width && !kind.wraps;
            ASSERT_EQ(expected ? 1u : 0u, findings.size());
            if (expected) {
                EXPECT_EQ(LayoutProblem::TextClipped, findings[0].problem);
                EXPECT_GT(findings[0].needed, findings[0].available);
            }
        }
    }
}

// Also in dialogs whose pages hold more than a dialog makes at open: there a page not shown is made
// only for the check.
TEST_F(LayoutCheck, EveryPageOfATabBoxOrTabSwitcherIsCheckedAndPagesDoNotOverlapEachOther) {
    // Boxes in boxes take no room: the pages hold many elements and lay out as before.
    std::string filler;
    for (int i = 0; i < 160; ++i) {
        filler = "<box>" + filler + "</box>";
    }
    const struct {
        const char* name;
        const char *container, *page;
        std::string filler;
    } cases[] = {
        {"tab box", "tabbox", "tabpanel", ""},
        {"tab box with full pages", "tabbox", "tabpanel", filler},
        {"tab switcher with full pages", "tabswitcher", "tab", filler},
    };
    for (const auto& c : cases) {
        const std::string page = c.page;
        Load(R"(<string id="a" attr="label" loc="Ein langer Text mit Wörtern"/>
                <string id="b" attr="label" loc="Noch ein langer Text mit Wörtern"/>)",
             std::string(R"(<dialog width="80"><)") + c.container + R"( hFlex="1">
                 <)" +
                 page + R"( label="A" selected="true"><button hFlex="1" id="a" locid="a" label="x"/>)" +
                 c.filler + "</" + page + R"(>
                 <)" +
                 page + R"( label="B"><button hFlex="1" id="b" locid="b" label="x"/>)" + c.filler + "</" +
                 page + "></" + c.container + "></dialog>",
             R"(<s id="a" attr="label" text="x"/><s id="b" attr="label" text="x"/>)");
        const std::vector<LayoutFinding> findings = CheckProjectLayout(model);
        ASSERT_EQ(2u, findings.size()) << c.name;
        EXPECT_EQ(L"a", findings[0].element) << c.name;
        EXPECT_EQ(L"b", findings[1].element) << c.name;
        EXPECT_EQ(LayoutProblem::TextClipped, findings[1].problem) << c.name;
    }
}

// Entries and tab labels are translated texts as well: each one that is cut is found, by its own
// string and element.
TEST_F(LayoutCheck, ClippedEntriesAndTabLabelsAreFoundByTheirOwnStrings) {
    const std::string tooLong = "Ein noch viel l\xC3\xA4ngerer Eintrag, der nirgends passt";
    Load(R"(<string id="e1" attr="label" loc=")" + tooLong + R"("/><string id="e2" attr="label" loc=")" +
             tooLong + R"(, gar nicht"/><string id="t2" attr="label" loc=")" + tooLong + R"("/>)",
         kEntriesAndTabs,
         R"(<s id="e1" attr="label" text="Eins"/><s id="e2" attr="label" text="Eins"/>
            <s id="t2" attr="label" text="Zweite"/>)");
    const std::vector<LayoutFinding> findings = CheckProjectLayout(model);
    std::vector<std::wstring> found;
    for (const LayoutFinding& finding : findings) {
        if (finding.problem == LayoutProblem::TextClipped) {
            found.push_back(finding.element + L" " + finding.kind + L" " + std::to_wstring(finding.string));
            EXPECT_GT(finding.needed, finding.available);
        }
    }
    EXPECT_EQ((std::vector<std::wstring>{L"e1 listitem 0", L"listitem listitem 1", L"t2 tabpanel 2"}), found);
}

TEST_F(LayoutCheck, ATextThatJustFitsIsNotFoundAndOnePixelOrLetterLessRoomIs) {
    // One word, so that the wrapping controls too need its whole width; and one that Wine draws
    // wider than it measures it.
    const std::string word = "Wortwahlwettbewerbswertungsweise";
    StockEngine engine;
    for (const TextKind& kind : kTextKinds) {
        SCOPED_TRACE(std::string(kind.tag) + " " + kind.extra);
        // At its own minimum size the control holds its text.
        int needed = 0;
        TestDialog natural(engine, R"(<dialog orient="vertical"><hbox>)" + Element(kind, R"(id="c")", word) +
                                       R"(<spacer hFlex="1"/></hbox></dialog>)");
        natural.Run([&](TestDialog& d) {
            const auto room = d.As<ITextRoom>(L"c").MeasureTextRoom();
            ASSERT_TRUE(room);
            needed = room->needed.cx;
            // A wrapped text's control takes the width of its column and the height the text
            // needs there.
            if (kind.wraps) {
                EXPECT_EQ(room->given.cy, room->needed.cy);
            } else {
                EXPECT_LE(room->needed.cx, room->given.cx);
            }
        });

        // Beside a box of the given pixels in a fixed-width dialog, the control gets the rest.
        auto check = [&](int ruler, const std::string& text) {
            Load(R"(<string id="c" attr=")" + std::string(kind.attr) + R"(" loc=")" + text + R"("/>)",
                 R"(<dialog width="250"><box minwidth=")" + std::to_string(ruler) + R"("/>)" +
                     Element(kind, R"(hFlex="1" locid="c")", "x") + "</dialog>",
                 R"(<s id="c" attr=")" + std::string(kind.attr) + R"(" text="x"/>)");
            return CheckProjectLayout(model);
        };
        const std::vector<LayoutFinding> wide = check(0, word + word + word);
        ASSERT_EQ(1u, wide.size());
        const int room = wide[0].available;
        ASSERT_GT(room, needed);
        EXPECT_TRUE(check(room - needed, word).empty());
        EXPECT_EQ(1u, check(room - needed, word + "w").size());
        const std::vector<LayoutFinding> onePixelShort = check(room - needed + 1, word);
        ASSERT_EQ(1u, onePixelShort.size());
        EXPECT_EQ(LayoutProblem::TextClipped, onePixelShort[0].problem);
        EXPECT_EQ(needed, onePixelShort[0].needed);
        EXPECT_EQ(needed - 1, onePixelShort[0].available);
    }
}

TEST_F(LayoutCheck, AControlAtItsOwnMinimumSizeDrawsAllOfItsText) {
    // Wine draws "w" and ")" wider than it measures them.
    StockEngine engine;
    for (const char* text : {"S&amp;how:", "(show translated)"}) {
        for (const TextKind& kind : kTextKinds) {
            // Only a single line flush with the control's right edge has no room to spare: button
            // and frame edges surround theirs, and a wrapped text is as wide as its column.
            if (kind.wraps || std::string(kind.tag) == "button" || std::string(kind.tag) == "groupbox") {
                continue;
            }
            SCOPED_TRACE(std::string(kind.tag) + " " + kind.extra + " " + text);
            TestDialog dialog(engine, R"(<dialog orient="vertical"><hbox>)" +
                                          Element(kind, R"(id="c")", text) +
                                          R"(<spacer hFlex="1"/></hbox></dialog>)");
            dialog.Run([&](TestDialog& d) {
                HWND control = d.Get(L"c").Window();
                const int width = ClientSize(control).cx;
                EXPECT_EQ(InkEnd(control, width + 40), InkEnd(control, width));
            });
        }
    }
}

TEST_F(LayoutCheck, ADialogListsAtMostItsCapOfFindingsAndADescriptionListedTwiceIsLaidOutForBoth) {
    // Hundreds of translated buttons pushed past a narrow dialog: the check once listed every
    // finding of a hostile description until memory ran out.
    std::string buttons;
    for (int i = 0; i < 300; ++i) {
        buttons += R"(<button locid="apply" label="Apply"/>)";
    }
    Load(R"(<string id="apply" attr="label" loc="Anwenden"/>)",
         R"(<dialog width="80"><hbox>)" + buttons + "</hbox></dialog>");
    WriteUtf8File(folder.File(L"tevproject.xml"),
                  R"(<tevproject name="P" dst="s.xml"><strings>)" + std::string(kStrings) +
                      R"(</strings><files><f name="dlg.xml"/><f name=".\dlg.xml"/>
                                                      </files></tevproject>)");
    ASSERT_EQ(LoadStatus::Loaded,
              model.Load(folder.File(L"tevproject.xml"), folder.File(L"s.xml"), 1031).status);
    const std::vector<LayoutFinding> findings = CheckProjectLayout(model);
    ASSERT_EQ(2 * (kMaxLayoutFindingsPerDialog + 1), findings.size());
    for (size_t dialog : {size_t(0), size_t(1)}) {
        const LayoutFinding& more =
            findings[dialog * (kMaxLayoutFindingsPerDialog + 1) + kMaxLayoutFindingsPerDialog];
        EXPECT_EQ(dialog, more.dialog);
        EXPECT_EQ(LayoutProblem::NotListed, more.problem);
        EXPECT_GT(more.needed, 0);
        EXPECT_EQ(FormatText(L"and %d more layout findings in this dialog, not listed", more.needed),
                  more.Describe());
    }
}

namespace {

// What a laid-out control shows the check: where it lies, its text and its text's room.
struct ControlPlace {
    RECT rect;
    std::wstring text;
    std::optional<TextRoom> room;
};

bool operator==(const ControlPlace& a, const ControlPlace& b) {
    const auto sameRoom = [](const TextRoom& x, const TextRoom& y) {
        return x.needed == y.needed && x.given == y.given && x.wraps == y.wraps;
    };
    return a.rect == b.rect && a.text == b.text && a.room.has_value() == b.room.has_value() &&
           (!a.room || sameRoom(*a.room, *b.room));
}

void PrintTo(const ControlPlace& place, std::ostream* out) {
    PrintTo(place.rect, out);
    *out << " \"" << Narrow(place.text) << "\"";
    if (place.room) {
        *out << " needs ";
        PrintTo(place.room->needed, out);
        *out << " has ";
        PrintTo(place.room->given, out);
    }
}

// Every control of the tree in document order, with the dialog's client size first; rect says
// where a control lies in the dialog's client area.
void Collect(CTEVElement& element, const std::function<RECT(CTEVElement&)>& rect,
             std::vector<ControlPlace>& places) {
    if (element.IsPlacedControl() && element.Parent()) {
        const auto* text = dynamic_cast<const ITextRoom*>(&element);
        places.push_back(
            {rect(element), element.WindowText(), text ? text->MeasureTextRoom() : std::nullopt});
        if (auto* items = dynamic_cast<IItemTextRooms*>(&element)) {
            for (const ItemTextRoom& item : items->MeasureItemTextRooms()) {
                places.push_back({rect(element), item.text, item.room});
            }
        }
    }
    for (size_t i = 0; i < element.ChildCount(); ++i) {
        Collect(*element.Child(i), rect, places);
    }
}

} // namespace

// The check lays dialogs out without windows: every control must come out as the dialog run for real
// places it, and every text with the same room, in the demo's dialogs (translated) and in this file's.
TEST(WindowlessLayout, PlacesAndMeasuresEveryControlAsTheOpenDialogDoes) {
    std::string buttons;
    for (int i = 0; i < 300; ++i) {
        buttons += R"(<button locid="apply" label="Apply"/>)";
    }
    std::vector<std::string> descriptions = {
        kDialog,
        R"(<dialog width="80"><hbox>)" + buttons + "</hbox></dialog>",
        R"(<dialog><hbox minwidth="40000"><button hFlex="1" label="wider than a window"/></hbox></dialog>)",
        R"(<dialog border="resizing"><vbox minheight="3000"><button vFlex="1" label="tall"/></vbox></dialog>)",
        R"(<dialog width="80"><tabbox hFlex="1"><tabpanel label="A" selected="true"><button hFlex="1"
               label="Ein langer Text mit Wörtern"/></tabpanel><tabpanel label="B"><label multiline="true"
               value="Noch ein langer Text mit Wörtern"/></tabpanel></tabbox></dialog>)",
        R"(<dialog width="120"><tabswitcher hFlex="1"><tab label="A" selected="true"><button hFlex="1"
               label="Ein langer Text"/></tab><tab label="B"><checkbox label="Noch ein Text"/></tab>
               </tabswitcher></dialog>)",
        kEntriesAndTabs,
    };
    for (const char* width : {"", R"(width="60")"}) {
        for (const TextKind& kind : kTextKinds) {
            descriptions.push_back(std::string(R"(<dialog orient="vertical" )") + width + "><hbox>" +
                                   Element(kind, R"(hFlex="1")", "Ein &amp;langer Text mit (Klammern)") +
                                   R"(<spacer hFlex="1"/></hbox></dialog>)");
        }
    }
    TempDir folder;
    std::vector<std::wstring> sources;
    for (size_t i = 0; i < descriptions.size(); ++i) {
        sources.push_back(folder.File(FormatText(L"d%u.xml", static_cast<unsigned>(i)).c_str()));
        WriteUtf8File(sources.back(), descriptions[i]);
    }
    for (const wchar_t* demo : {L"about", L"options", L"preferences", L"rename", L"wizard"}) {
        sources.push_back(std::wstring(TEV_DEMO_PATH) + L"\\projects\\demo\\" + demo + L".xml");
    }

    CMyTEVEngine engine(TEV_DEMO_PATH L"\\projects\\demo\\tevproject.xml", GetModuleHandleW(nullptr));
    engine.LoadStrings(TEV_DEMO_PATH L"\\1031\\demo\\strings.xml");
    engine.SetEveryPageMadeAtOpen(true);
    for (const std::wstring& source : sources) {
        SCOPED_TRACE(Narrow(source));
        std::vector<ControlPlace> opened;
        TestDialog dialog(engine, source.c_str());
        dialog.Run([&](TestDialog& d) {
            opened.push_back({{0, 0, ClientSize(d.Hwnd()).cx, ClientSize(d.Hwnd()).cy}, L"", std::nullopt});
            const auto rectInDialog = [&](CTEVElement& e) {
                RECT rect = {};
                GetWindowRect(e.Window(), &rect);
                MapWindowPoints(nullptr, d.Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
                return rect;
            };
            Collect(d, rectInDialog, opened);
            // The units the layout without windows converts with are the dialog's own.
            RECT units = {0, 0, 4, 8};
            MapDialogRect(d.Hwnd(), &units);
            EXPECT_EQ((SIZE{units.right, units.bottom}), CTEVDialog::TemplateBaseUnits());
        });
        std::vector<ControlPlace> windowless;
        CTEVDialog laidOut(source.c_str(), &engine, nullptr);
        ASSERT_TRUE(laidOut.LayOutWithoutWindows());
        windowless.push_back({{0, 0, laidOut.ClientArea().cx, laidOut.ClientArea().cy}, L"", std::nullopt});
        Collect(
            laidOut, [](CTEVElement& e) { return e.RectInDialog(); }, windowless);
        EXPECT_GT(opened.size(), 1u);
        EXPECT_EQ(opened, windowless);
    }
}
