// A project dialog laid out without windows as it would open with the session's translations, saved
// or not, and its controls as placed: what the clipping check inspects and the live preview draws.
#pragma once

#include "CMyTEVEngine.h"
#include "CTEVDialog.h"
#include "TextRoom.h"
#include "TextUtil.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class ProjectModel;
struct DialogItem;

struct ControlKind {
    const wchar_t* tag;
    const wchar_t* textAttribute; // the attribute its shown text is translated through; null: none
};

// The kind of control the element makes, by its tag; a catch-all kind for tags not listed.
const ControlKind& KindOf(CTEVElement* element);

// One control window as laid out, with the string that gives it its text.
struct PlacedControl {
    CTEVElement* element;
    const ControlKind* kind;
    RECT rect;                    // in the dialog's client coordinates
    std::optional<size_t> string; // the translation it shows; absent when it shows none
};

// A text a control shows for one of its children (a combo box's or list box's entry, a tab's
// label), with the string that gives it.
struct PlacedItemText {
    size_t control; // index among the layout's controls
    CTEVElement* item;
    std::wstring text;
    size_t string;
    TextRoom room;
};

// The translated strings of a project by id (upper case, as the string table compares), each list
// in project order.
using TranslatedById = std::unordered_map<std::wstring, std::vector<size_t>>;
TranslatedById IndexTranslated(const ProjectModel& model);

// The translated strings whose id is one of the dialog's locids, in project order: the order in
// which the translation file holds them, so the first entry for a key wins as in the preview.
std::vector<size_t> StringsOfDialog(const DialogItem& dialog, const TranslatedById& index);

// A text typed for a string but not stored: laid out in place of its translation (absent or empty
// leaves the string untranslated).
struct TypedText {
    size_t string = 0;
    OptString text;
};

// Adds the strings' translations to the engine's table in the given order, the typed text standing
// in for its string's translation: what a preview of the dialog shows.
void AddTranslations(CTEVEngine& engine, const ProjectModel& model, std::vector<size_t> strings,
                     const std::optional<TypedText>& typed = std::nullopt);

// A page of a tab box or tab switcher: hidden while another page is selected.
bool IsPage(const CTEVElement* element);
// The innermost page the element lies on; null outside every page.
const CTEVElement* PageOf(const CTEVElement* element);
bool IsDescendant(const CTEVElement* element, const CTEVElement* ancestor);

// How a control's text fits it, by the control's own measure, across or (for a wrapped text whose
// lines ran out of room) down.
struct TextFit {
    bool vertical = false;
    int needed = 0; // pixels
    int given = 0;
    int Lacking() const { return needed > given ? needed - given : 0; }
};
// None for a control without text.
std::optional<TextFit> TextFitOf(const CTEVElement* element);

class DialogLayout {
public:
    // Lays out the model's dialog with every page made, the translations of strings (project order)
    // and the typed text; nothing is placed when the description does not load.
    DialogLayout(const ProjectModel& model, size_t dialogIndex, std::vector<size_t> strings,
                 const std::optional<TypedText>& typed = std::nullopt);
    DialogLayout(const DialogLayout&) = delete;
    DialogLayout& operator=(const DialogLayout&) = delete;

    bool Loaded() const { return m_loaded; }
    // Every control that shows when its page is selected, in document order.
    const std::vector<PlacedControl>& Controls() const { return m_controls; }
    // The translated texts the controls show for their children, in the controls' order.
    const std::vector<PlacedItemText>& ItemTexts() const { return m_itemTexts; }
    SIZE ClientSize() { return m_root.ClientArea(); }
    CTEVDialog& Root() { return m_root; }

private:
    CMyTEVEngine m_engine;
    CTEVDialog m_root;
    bool m_loaded = false;
    std::vector<PlacedControl> m_controls;
    std::vector<PlacedItemText> m_itemTexts;
};
