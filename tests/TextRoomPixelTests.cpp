// The text room a control reports, held against the pixels it draws: for every kind of text
// control, at every width (or height) from one where its text is cut to one where it fits, the
// control's verdict and its drawn text agree.
#include "DialogDriver.h"
#include "GdiHandles.h"
#include "TestSupport.h"
#include "TextRoom.h"
#include "ButtonGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

// A control as printed into a bitmap of the given client size, top row first.
struct Picture {
    int width = 0;
    std::vector<DWORD> pixels;

    DWORD At(size_t i) const { return pixels[i] & 0xFFFFFF; }
    int Column(size_t i) const { return static_cast<int>(i % static_cast<size_t>(width)); }
};

Picture Print(HWND control, SIZE size) {
    SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Picture picture{size.cx, std::vector<DWORD>(static_cast<size_t>(size.cx) * size.cy)};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    MemoryDC dc(nullptr);
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectedObject selected(dc.Get(), bitmap.Get());
    // Where the dialog behind a control ends, the control stands on the dialog's colour all the same.
    const RECT all = {0, 0, size.cx, size.cy};
    FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    std::copy_n(static_cast<const DWORD*>(bits), picture.pixels.size(), picture.pixels.begin());
    return picture;
}

int Darkness(DWORD c) {
    return 3 * 255 - static_cast<int>((c >> 16) + ((c >> 8) & 0xFF) + (c & 0xFF));
}

// The colour the text is drawn on: what the control without text mostly shows where the one with
// text differs from it, from column textFrom on (a check box or radio places its mark by its text,
// so the marks of the two controls may differ).
DWORD TextBackground(const Picture& text, const Picture& bare, int textFrom) {
    std::map<DWORD, int> counts;
    for (size_t i = 0; i < text.pixels.size(); ++i) {
        if (text.Column(i) >= textFrom && text.At(i) != bare.At(i)) {
            ++counts[bare.At(i)];
        }
    }
    return std::max_element(counts.begin(), counts.end(),
                            [](auto& a, auto& b) { return a.second < b.second; })
        ->first;
}

// The text's ink: the darkness the control with text draws over its background where it differs
// from the same control without text. It does not depend on where alignment or line breaks put
// the text; a glyph cut, or drawn over the control's frame or mark instead of its background,
// changes it.
long long InkMass(const Picture& text, const Picture& bare, DWORD background, int textFrom) {
    long long mass = 0;
    for (size_t i = 0; i < text.pixels.size(); ++i) {
        if (text.Column(i) >= textFrom && text.At(i) != bare.At(i)) {
            mass += Darkness(text.At(i)) - Darkness(background);
        }
    }
    return mass;
}

struct TextKind {
    const char* name;
    const char* element; // opening of the element, its text attribute last and open
    bool wraps;          // the text wraps at the width: the height is what runs short
    enum { kNoMark, kBox, kCircle } mark = kNoMark; // placed beside the text, by the text
};

const TextKind kKinds[] = {
    {"label", R"(<label value=")", false},
    {"centred label", R"(<label textalign="center" value=")", false},
    {"right-aligned label", R"(<label textalign="right" value=")", false},
    {"wrapped label", R"(<label multiline="true" value=")", true},
    {"group box", R"(<groupbox label=")", false},
    {"button", R"(<button label=")", false},
    {"default button", R"(<button default="true" label=")", false},
    {"check box", R"(<checkbox label=")", false, TextKind::kBox},
    {"radio", R"(<radio label=")", false, TextKind::kCircle},
    {"wrapped radio", R"(<radio multiline="true" label=")", true, TextKind::kCircle},
    {"link", R"(<url text=")", false},
    {"right-aligned link", R"(<url textalign="right" text=")", false},
};

// Texts whose last glyph Wine cut once: a prefix mark, a colon or full stop at the end, glyphs
// drawn wider than they measure; and texts that wrap to several lines.
const char* const kTexts[] = {
    "S&amp;how:",
    "Show the organizer with:",
    "Alles ist bereit. Klicken Sie auf Abbrechen, um den Assistenten zu schlie\xC3\x9F"
    "en.",
    "(show translated)",
    "Wortwahlwettbewerbswertungsweise",
    "Speichern &amp;&amp; Beenden",
    "Name:\tWert",
};

class TextRoomPixels : public EngineTest<> {
protected:
    // A link under the mouse pointer draws underlined: the pointer stays out of the dialogs.
    TextRoomPixels() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1); }
};

} // namespace

// A wrapped text asks for whole lines: where its last line has no descender, it draws whole up to
// the descent's height lower than it says it needs.
TEST_F(TextRoomPixels, EveryTextControlIsFoundClippedExactlyWhenItsDrawnTextIsCut) {
    for (const TextKind& kind : kKinds) {
        for (const char* text : kTexts) {
            SCOPED_TRACE(std::string(kind.name) + ": " + text);
            // The text box takes the focus, so no focus frame joins the text's ink.
            RunDialog(std::string(R"(<dialog orient="vertical"><textbox/>)") + kind.element + text +
                          R"(" id="c"/>)" + kind.element + R"(" id="bare"/></dialog>)",
                      [&](TestDialog& d) {
                          HWND control = d.Get(L"c").Window();
                          HWND bare = d.Get(L"bare").Window();
                          const auto& measure = d.As<ITextRoom>(L"c");
                          const auto natural = measure.MeasureTextRoom();
                          ASSERT_TRUE(natural);
                          const SIZE need = natural->needed;
                          const SIZE given = natural->given;
                          const int from = kind.wraps ? need.cy / 2 : need.cx - 12;
                          const int to = kind.wraps ? need.cy + 2 : need.cx + 2;
                          auto sized = [&](int extent) {
                              return kind.wraps ? SIZE{given.cx, extent} : SIZE{extent, given.cy};
                          };
                          const int textFrom = kind.mark == TextKind::kNoMark
                                                   ? 0
                                                   : MarkHeight(MemoryDC(nullptr).Get(), control,
                                                                kind.mark == TextKind::kCircle) +
                                                         1;
                          const Picture roomy = Print(control, sized(to + 200));
                          const Picture roomyBare = Print(bare, sized(to + 200));
                          const DWORD background = TextBackground(roomy, roomyBare, textFrom);
                          const long long whole = InkMass(roomy, roomyBare, background, textFrom);
                          ASSERT_GT(whole, 0);
                          int drawnWhole = to + 1; // the narrowest extent from which the text is whole
                          int foundFitting = to + 1;
                          for (int extent = to; extent >= from; --extent) {
                              const bool isWhole =
                                  InkMass(Print(control, sized(extent)), Print(bare, sized(extent)),
                                          background, textFrom) == whole;
                              const auto room = measure.MeasureTextRoom();
                              ASSERT_TRUE(room);
                              const bool fits = kind.wraps ? room->needed.cy <= room->given.cy
                                                           : room->needed.cx <= room->given.cx;
                              drawnWhole = isWhole && drawnWhole == extent + 1 ? extent : drawnWhole;
                              foundFitting = fits && foundFitting == extent + 1 ? extent : foundFitting;
                              if (!kind.wraps || fits) {
                                  EXPECT_EQ(isWhole, fits) << "at " << extent << " px; needs "
                                                           << room->needed.cx << " x " << room->needed.cy;
                              }
                          }
                          if (kind.wraps) {
                              TEXTMETRICW metrics = {};
                              WindowDC dc(control);
                              SelectedObject font(dc.Get(), ControlFont(control));
                              GetTextMetricsW(dc.Get(), &metrics);
                              // Centred beside its mark, a text has blank rows at both ends to lose.
                              const int blankRows =
                                  metrics.tmDescent * (kind.mark == TextKind::kNoMark ? 1 : 2);
                              EXPECT_LE(foundFitting - drawnWhole, blankRows);
                          }
                      });
        }
    }
}

namespace {

// A text that stays in place as its control narrows: an entry or tab label a control draws for one
// of its children.
struct PlacedKind {
    const char* name;
    const char* opening; // up to the open text attribute
    const char* closing; // after it
};

const PlacedKind kPlacedKinds[] = {
    {"combo box entry", R"(<combobox><listitem value="1" label=")", R"("/></combobox>)"},
    {"list box entry", R"(<listbox><listitem value="1" label=")", R"("/></listbox>)"},
    {"tab label", R"(<tabbox><tabpanel label=")", R"("><spacer/></tabpanel></tabbox>)"},
};

// The text is whole while every pixel its glyphs darken in the roomy control (against the same
// control without text) is drawn, and drawn the same.
bool DrawsTheSame(const Picture& narrow, const Picture& roomy, const Picture& roomyBare) {
    for (size_t i = 0; i < roomy.pixels.size(); ++i) {
        if (Darkness(roomy.At(i)) <= Darkness(roomyBare.At(i))) {
            continue;
        }
        const int x = roomy.Column(i);
        const size_t row = i / static_cast<size_t>(roomy.width);
        if (x >= narrow.width || narrow.At(row * static_cast<size_t>(narrow.width) + x) != roomy.At(i)) {
            return false;
        }
    }
    return true;
}

// The room of the control's one text, measured by the control itself.
TextRoom RoomOf(CTEVElement& control) {
    if (auto* items = dynamic_cast<IItemTextRooms*>(&control)) {
        const std::vector<ItemTextRoom> rooms = items->MeasureItemTextRooms();
        return rooms.size() == 1 ? rooms[0].room : TextRoom{};
    }
    const auto room = dynamic_cast<ITextRoom&>(control).MeasureTextRoom();
    return room ? *room : TextRoom{};
}

} // namespace

TEST_F(TextRoomPixels, EntriesAndTabLabelsAreFoundClippedExactlyWhenTheirDrawnTextIsCut) {
    for (const PlacedKind& kind : kPlacedKinds) {
        for (const char* text : kTexts) {
            SCOPED_TRACE(std::string(kind.name) + ": " + text);
            RunDialog(std::string(R"(<dialog orient="vertical"><textbox/>)") + R"(<hbox id="c">)" +
                          kind.opening + text + kind.closing + R"(</hbox><hbox id="bare">)" + kind.opening +
                          kind.closing + "</hbox></dialog>",
                      [&](TestDialog& d) {
                          CTEVElement& element = *d.Get(L"c").Child(0);
                          HWND control = element.Window();
                          HWND bare = d.Get(L"bare").Child(0)->Window();
                          SendMessageW(control, CB_SETCURSEL, 0, 0);
                          SendMessageW(bare, CB_SETCURSEL, 0, 0);
                          const TextRoom natural = RoomOf(element);
                          ASSERT_GT(natural.needed.cx, 0);
                          const int need = natural.needed.cx;
                          const SIZE roomySize = {need + 200, natural.given.cy};
                          const Picture roomy = Print(control, roomySize);
                          const Picture roomyBare = Print(bare, roomySize);
                          for (int extent = need + 2; extent >= need - 12; --extent) {
                              const bool isWhole =
                                  DrawsTheSame(Print(control, {extent, natural.given.cy}), roomy, roomyBare);
                              const TextRoom room = RoomOf(element);
                              EXPECT_EQ(isWhole, room.needed.cx <= room.given.cx)
                                  << "at " << extent << " px; needs " << room.needed.cx;
                          }
                      });
        }
    }
}
