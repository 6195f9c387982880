// The base of every element of a description tree: place in the tree, common attributes,
// native window, grid layout, hidden/disabled inheritance and the event path to the dialog.
#pragma once

#include "Diagnostics.h"
#include "GridLayout.h"
#include "TextUtil.h"

#include <windows.h>

#include <commctrl.h>
#include <memory>
#include <msxml2.h>
#include <optional>
#include <string>
#include <vector>

class CTEVEngine;

class CTEVElement {
public:
    CTEVElement(CTEVElement* parent, CTEVEngine* engine);
    CTEVElement(const CTEVElement&) = delete;
    CTEVElement& operator=(const CTEVElement&) = delete;

    // Virtual operations, in slot order.
    virtual ~CTEVElement();
    virtual BOOL IsKindOf(const wchar_t* tag, CTEVElement** out);
    virtual void GetMinSize(SIZE* size);
    virtual void Arrange(int x, int y, int cx, int cy);
    virtual BOOL LoadFromNode(IXMLDOMNode* node);
    virtual BOOL LoadDocument(const wchar_t* source, const wchar_t* rootPath, HINSTANCE instance);
    virtual void AddChild(std::unique_ptr<CTEVElement> child);
    virtual void Create();
    virtual void Execute(CTEVElement* trigger);
    virtual int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam);
    virtual int NewControlId();
    virtual BOOL HandleNotify(WPARAM wParam, NMHDR* header);
    virtual BOOL HandleCommand(int code, int id, HWND control);
    virtual HWND GetContainerHwnd();
    virtual void SetValue(int value);
    virtual int GetValue();
    virtual void SetText(const wchar_t* text);
    virtual const wchar_t* GetText();
    virtual void DoCommand(const wchar_t* command);
    virtual void ApplyHidden();
    virtual void ApplyDisabled();
    virtual BOOL IsDisabled();
    virtual BOOL IsHidden();
    virtual void SetLayoutWidth(int width);
    // Asked of each element from the root down to the one FindById answers with, before it answers:
    // a page whose windows wait until it is first needed makes them, so that what the application
    // found works as if every page had been made with the dialog. The default has nothing waiting.
    virtual void NeedWindows();

    int Fire(const wchar_t* event, WPARAM wParam, LPARAM lParam);
    void ExecuteChildren();
    void SetHidden(BOOL hidden);
    void SetDisabled(BOOL disabled);
    CTEVElement* GetRoot();
    CTEVElement* FindById(const wchar_t* id);
    CTEVElement* FindByHwnd(HWND window);
    CTEVElement* FindByControlId(int controlId);
    // The element with that id as class T; null when there is none, and a failed check when the
    // element is of another class.
    template <typename T> T* FindAs(const wchar_t* id) {
        CTEVElement* element = FindById(id);
        T* typed = dynamic_cast<T*>(element);
        TEV_CHECK(!element || typed);
        return typed;
    }
    BOOL FocusFirstTabStop();
    // GetMinSize, asked at most once per element and layout pass: a pass is the outermost measure
    // or arrange, and only SetLayoutWidth changes a size within one.
    SIZE MeasuredMinSize();
    OptString GetLocalizedAttribute(IXMLDOMNode* node, const wchar_t* name);

    // Read access for application code, behaviour elements and tests.
    CTEVElement* Parent() const { return m_parent; }
    CTEVEngine* Engine() const { return m_engine; }
    const wchar_t* Id() const { return CStrOrNull(m_id); }
    const wchar_t* Locid() const { return CStrOrNull(m_locid); }
    int ControlId() const { return m_controlId; }
    HWND Window() const { return m_window; }
    size_t ChildCount() const { return m_children.size(); }
    CTEVElement* Child(size_t index) const { return m_children[index].get(); }
    int Orient() const { return m_orient; }
    BOOL OwnHidden() const { return m_hidden; }
    BOOL OwnDisabled() const { return m_disabled; }

    // Descriptions nested deeper than this lose their deeper elements: every walk over the
    // tree recurses, and the stack must hold for any input.
    static constexpr int kMaxDepth = 200;
    // A description with more elements than this is refused: a process holds 10,000 window
    // handles by default, so no dialog beyond it could be created, and building one near it
    // takes the program out of reach for minutes.
    static constexpr int kMaxElements = 10000;
    // Windows refuses child windows nested about fifty deep, counting the program's own, and each
    // level costs more than the last before that: elements whose container window is nested
    // deeper than this below its dialog get no windows, nor do their children.
    static constexpr int kMaxWindowNesting = 24;
    // Text measuring looks at no more characters than this: wrapping costs per line, and no
    // dialog shows more.
    static constexpr int kMaxMeasuredText = 4096;
    // The platform keeps no window wider or taller than this.
    static constexpr int kLargestWindowSize = 32767;
    // Whether the last LoadDocument was refused for holding more than kMaxElements elements.
    bool HadTooManyElements() const { return m_tooManyElements; }

    // A tree laid out without windows (CTEVDialog::LayOutWithoutWindows) keeps, for each element
    // that would have a control window, what the window would hold: its rectangle and its text.
    // True for an element with a window, or one that stands for a window in such a layout.
    bool IsPlacedControl() const { return m_window || m_standIn; }
    bool LaysOutWithoutWindows() const;
    // The rectangle the layout gave the control, in its container window's client coordinates.
    RECT PlacedRect() const;
    // The same in the client coordinates of the dialog the user sees, tab panels passed through.
    RECT RectInDialog() const;
    // The window's text; without windows the text the window would have been made with.
    std::wstring WindowText() const;
    // The control's client size; without windows the whole rectangle, as for the borderless
    // controls that draw a text of their own.
    SIZE ClientArea() const;

protected:
    // The native window of a control element: created in the parent's container window at the
    // element's position attributes, with its control id, the visibility and enabled state
    // it inherits, and the stock GUI font. Stored as the element's window. createParam reaches
    // WM_NCCREATE, for own window classes that link the window to its element there.
    HWND CreateControlWindow(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                             void* createParam = nullptr);
    // The rectangle (0, 0, x, y) converted from dialog units in the parent's container window, or
    // without windows by the layout's dialog base units.
    SIZE DialogUnits(int x, int y) const;
    // From now on the tree under this root makes no windows and converts dialog units by
    // baseUnits (pixels per 4 horizontal and per 8 vertical dialog units).
    void MakeNoWindows(SIZE baseUnits) { m_baseUnits = baseUnits; }
    // The layout's dialog base units when it makes no windows.
    std::optional<SIZE> WindowlessBaseUnits() const;
    // Without windows: this element stands for a window made with text; holdsControls for one that
    // is the container window of the controls below it (a tab panel).
    void StandInForWindow(const wchar_t* text, bool holdsControls = false);
    // Moves the control's window (with the SetWindowPos flags), or the rectangle that stands for
    // it, to (x, y, cx, cy).
    void PlaceControl(int x, int y, int cx, int cy,
                      UINT flags = SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOCOPYBITS | SWP_DEFERERASE);
    // Size of text (null: "W") drawn with the stock GUI font, starting from a rectangle of the
    // given width; extraFormat adds flags such as DT_WORDBREAK. Only the first kMaxMeasuredText
    // characters count.
    SIZE MeasureText(const wchar_t* text, UINT extraFormat = 0, int width = 3) const;
    // A device context to measure text on, compatible with the screen and shared by all elements:
    // getting each control's own DC costs more than the measuring. Select a font before use and
    // put the previous one back.
    static HDC MeasuringDC();
    HWND ParentContainer() const;

    // Creates the first count children (all of them from Create), unless their container window
    // is nested deeper than kMaxWindowNesting.
    void CreateChildren(size_t count);
    // The parent's gaps, which every element takes over in Create. Controls whose window covers
    // their whole cell call only this: elements inside them get no windows to be drawn over them.
    void InheritGaps();
    // The grid part of Arrange: the children placed in (x, y, cx, cy) of the container window.
    void ArrangeChildren(int x, int y, int cx, int cy);
    // IsKindOf for a class whose own tag name is ownTag.
    BOOL MatchesKind(const wchar_t* ownTag, const wchar_t* tag, CTEVElement** out);
    int Depth() const;

private:
    // Drops the pass's measure of this element and of the ancestors that include it.
    void ForgetMeasure();
    void CollectTracks(const GridShape& shape, std::vector<GridTrack>& columns, std::vector<GridTrack>& rows);
    // Depth-first, this element before its children, earlier subtrees before later ones.
    template <typename Predicate> CTEVElement* FindFirst(Predicate matches);

protected:
    CTEVElement* m_parent; // not owned
    CTEVEngine* m_engine;  // not owned
    int m_controlId = 0;
    OptString m_id;
    int m_left = 0, m_top = 0;
    int m_width = 0, m_height = 0; // dialog units, interpreted per class
    int m_maxwidth = 0, m_maxheight = 0;
    int m_minwidth = 0, m_minheight = 0; // pixels
    BOOL m_hidden = FALSE;
    BOOL m_disabled = FALSE;
    int m_hFlex = 0, m_vFlex = 0;
    int m_orient = 0; // 0 horizontal, 1 vertical
    int m_columnGap = 0, m_rowGap = 0;
    int m_columns = 0, m_rows = 0;
    HWND m_window = nullptr; // not owned: child windows die with their dialog
    OptString m_locid;
    int m_marginLeft = 0, m_marginRight = 0, m_marginTop = 0, m_marginBottom = 0;
    std::vector<std::unique_ptr<CTEVElement>> m_children; // owned, document order
    bool m_tooManyElements = false;
    SIZE m_measured = {0, 0};
    unsigned m_measuredPass = 0; // the layout pass m_measured belongs to; 0 none

private:
    // How many child windows deep the container window of this element's children lies.
    int ContainerNesting();

    struct StandIn {
        RECT rect = {0, 0, 0, 0};
        std::wstring text;
        bool holdsControls = false;
    };
    std::unique_ptr<StandIn> m_standIn; // owned; only in a layout without windows
    std::optional<SIZE> m_baseUnits;    // the root of a layout without windows only
};
