// The clipping check: each dialog of a project laid out with the translations as the preview shows
// them, without ever showing a window, and each control whose translated text does not fit it, that
// passes the dialog's edge or that lies over another control.
#pragma once

#include <functional>
#include <string>
#include <vector>

class ProjectModel;

enum class LayoutProblem {
    TextClipped,   // the shown text needs more room than the control was given
    OutsideDialog, // the control extends past the dialog's client area
    Overlap,       // the control lies over another control
    NotListed,     // more findings of the dialog than are listed: needed counts them
};

// A hostile or broken description can make every control overlap every other: past this many
// findings a dialog lists one NotListed finding instead of the rest.
constexpr size_t kMaxLayoutFindingsPerDialog = 200;

struct LayoutFinding {
    LayoutProblem problem = LayoutProblem::TextClipped;
    size_t dialog = 0;     // index into the model's dialogs
    size_t string = 0;     // index into the model's strings: the translation the control shows
    std::wstring element;  // the element's id, or its tag when it has none
    std::wstring kind;     // the element's tag
    std::wstring text;     // the text the control shows
    bool vertical = false; // TextClipped: the text wraps and its height does not fit
    // Pixels: TextClipped the room the text needs and the room there is; OutsideDialog the far edge
    // of the control and of the client area; Overlap the width and height of the shared area.
    // NotListed: needed is the number of findings left out.
    int needed = 0;
    int available = 0;
    std::wstring other; // Overlap: the other control's id or tag

    // A short English text for the translator, such as: "Abbrechen" needs 96 px, has 75 px.
    std::wstring Describe() const;
};

// The findings of one dialog of the model, laid out once with the model's current translations
// (saved or not). Shows no window and needs none of the caller's; a description that does not load,
// or an index out of range, gives none. Only controls whose text a translation of the dialog
// replaces are reported (for Overlap, at least one of the two), so the original design is not
// blamed on the translator.
std::vector<LayoutFinding> CheckDialogLayout(const ProjectModel& model, size_t dialogIndex);

// The findings of the given dialogs, in that order, each laid out once; the translations are indexed
// once for all of them. When timeUp answers true after a dialog, the rest are left unchecked: checked
// tells how many of the dialogs were.
std::vector<LayoutFinding> CheckDialogsLayout(const ProjectModel& model,
                                              const std::vector<size_t>& dialogIndices,
                                              const std::function<bool()>& timeUp = nullptr,
                                              size_t* checked = nullptr);

// The findings of every dialog of the model, in dialog order, each dialog laid out once.
std::vector<LayoutFinding> CheckProjectLayout(const ProjectModel& model);
