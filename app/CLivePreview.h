// The live preview beside the translate dialog: draws the project dialog that holds the current
// string, translated with the session's texts and the text being typed, outlines the control that
// shows the string (red while its text is clipped), and lets a click on a control pick its string.
#pragma once

#include "DialogLayout.h"
#include "OwnWindow.h"
#include "TranslationSession.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Where the pane goes beside the dialog (screen rectangles): to its right where the work area has
// room for at least minWidth, else to its left, else the dialog moves to the work area's left edge
// (narrowed if it must) and the pane takes the room to its right. The pane is at most pane wide and
// tall and never covers the dialog.
struct SideBySide {
    RECT dialog;
    RECT pane;
};
SideBySide PlaceBeside(const RECT& dialog, SIZE pane, const RECT& work, int minWidth);

class CLivePreview : public COwnWindow, private SessionObserver {
public:
    // session outlives the pane; settingsFile keeps its size and place; pick hears of the string of
    // a control the user clicked.
    CLivePreview(TranslationSession& session, std::wstring settingsFile, std::function<void(size_t)> pick);
    ~CLivePreview() override;

    // Makes the pane, owned by owner and beside it (moving owner aside when the screen has no room),
    // shown unless the user hid it last time. It never takes the focus.
    void Create(HWND owner);
    void SetShown(bool shown);
    bool IsShown() const { return m_shown; }

    // The first dialog holding the string, laid out with typed in place of its translation.
    void ShowString(size_t string, const OptString& typed);
    // The text in the translation box changed: laid out again after a short pause.
    void TextTyped(const OptString& typed);
    // The next (step 1) or previous (-1) of the dialogs that hold the string, wrapping around.
    void StepDialog(int step);
    // Lays out a pending typed text now rather than after the pause.
    void Flush();

    // What the pane shows, for tests and readers. Rectangles are in the pane's client coordinates.
    struct Outline {
        RECT rect; // the control's own rectangle; the 2 px frame lies just outside it
        COLORREF colour;
    };
    std::optional<Outline> CurrentOutline() const;
    // Where the control that shows the string is drawn, when it is.
    std::optional<RECT> DrawnRectOf(size_t string) const;
    // The text the string's control shows, as typed.
    std::wstring ShownText() const { return m_target ? m_target->WindowText() : std::wstring(); }
    const std::wstring& Findings() const { return m_findings; }
    std::optional<size_t> ShownDialog() const;
    size_t DialogCount() const { return m_dialogs.size(); }

private:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;
    void OnTranslationsChanged(const std::vector<size_t>& strings) override;
    void OnProjectOpened() override;

    // Lays the shown dialog out again with the typed text, keeps its pages and outline in step.
    void LayOut();
    void FindTarget();
    void SelectPages();
    void UpdateFindings();
    void UpdateCaption();
    void ScrollTargetIntoView();
    void UpdateScrollBars();
    void Scroll(int bar, WORD request);
    void OnClick(POINT point);
    void StoreSettings();

    // Geometry of the pane's client area: a toolbar, the drawing, a findings line.
    int Band() const;
    RECT Canvas() const;
    RECT ArrowRect(int step) const;
    // Where the dialog's client area starts on the pane, scroll applied.
    POINT DialogOrigin() const;
    int CaptionHeight() const;
    // In the dialog's client coordinates (the drawn caption above 0); absent when not drawn.
    std::optional<RECT> RectInDialog(CTEVElement* element) const;
    std::vector<std::pair<CTEVElement*, RECT>> PageHeaders(CTEVElement* container) const;
    bool IsDrawn(const CTEVElement* element) const;
    bool IsClipped(const PlacedControl& control) const;
    COLORREF OutlineColour(CTEVElement* element) const;
    // The first string of the model that the element shows.
    std::optional<size_t> StringShownBy(CTEVElement* element) const;
    CTEVElement* ElementAt(POINT dialogPoint) const;

    void DrawDialog(HDC dc);
    void DrawControl(HDC dc, const PlacedControl& control, const RECT& rect);
    void DrawPages(HDC dc, CTEVElement* container);
    void DrawBands(HDC dc, const RECT& client);

    TranslationSession& m_session;
    std::wstring m_settingsFile;
    std::function<void(size_t)> m_pick;
    bool m_shown = true;

    std::optional<size_t> m_string;
    OptString m_typed;
    std::vector<size_t> m_dialogs;              // every dialog that holds the string
    size_t m_dialogAt = 0;                      // the one shown, into m_dialogs
    std::optional<TranslatedById> m_translated; // rebuilt after translations change
    std::unique_ptr<DialogLayout> m_layout;     // owned; null when nothing is shown
    CTEVElement* m_target = nullptr;            // in m_layout: the element that shows the string
    std::vector<const CTEVElement*> m_pages;    // in m_layout: the page each container shows
    std::wstring m_menuPath;                    // when the string is a menu's
    std::wstring m_findings;
    POINT m_scroll = {0, 0};
    bool m_updatingScrollBars = false;
};
