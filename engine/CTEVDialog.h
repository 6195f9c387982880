// Runs a description whose root is "dialog" as a native modal dialog: builds an in-memory
// template, creates and lays out the element tree at WM_INITDIALOG, and turns the controls'
// notifications into calls on their elements and named events. While its window lives, a dialog
// is a link of the thread's keyboard filter chain.
#pragma once

#include "CTEVElement.h"
#include "ContextHelp.h"
#include "KeyFilter.h"

#include <vector>

class CTEVDialog : public CTEVElement, public CKeyFilter {
public:
    // source: a file path or "res:" and a resource name; null for a dialog nested in a tree.
    CTEVDialog(const wchar_t* source, CTEVEngine* engine, CTEVElement* parent);
    ~CTEVDialog() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    int NewControlId() override;

    // Application hooks, in slot order.
    virtual void OnInitDialog();
    virtual BOOL CanClose(int code);
    virtual void OnNotify(CTEVElement* element, WPARAM wParam, NMHDR* header);
    virtual BOOL OnCommand(CTEVElement* element, int code, int id, HWND control);
    virtual BOOL PreProcessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual CTEVElement* GetDefaultButton();
    virtual int AdjustWidth(int cx);
    virtual int AdjustHeight(int cy);
    virtual void OnDestroy(int cx, int cy);
    virtual void OnPreInitDialog();
    virtual BOOL FilterMessage(UINT message, CTEVElement* element, WPARAM wParam, LPARAM lParam);
    // A key meant for this dialog's window or a window inside it, before the focused control and
    // the dialog manager see it; true when handled. Dialogs inside this one (tab panels) are asked
    // first; keys for a dialog run over this one never come here. The default handles nothing.
    bool PreTranslateKey(const MSG& msg) override;

    // The result given to EndDialog, or 0 when the description did not load.
    INT_PTR DoModal(HWND owner);
    // Loads the description and lays it out as DoModal would open it, with the same sizes, but
    // makes no window: each element that would have one keeps its rectangle and text instead
    // (CTEVElement::PlacedRect, WindowText), and the dialog its client size (ClientArea). Tab
    // pages are laid out alike. FALSE when the description does not load.
    BOOL LayOutWithoutWindows();
    // Pixels per 4 horizontal and per 8 vertical dialog units of a dialog made from our templates,
    // at the screen's present resolution: what MapDialogRect converts with.
    static SIZE TemplateBaseUnits();
    // Lays the content out again after it grew while the window is open (a page made when first
    // shown): the window grows to hold it and never shrinks.
    void FitGrownContent();
    void SetDefaultButton(const wchar_t* id);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    const wchar_t* Caption() const { return CStrOrNull(m_caption); }
    DWORD Style() const { return m_style; }
    // The smallest frame that holds the content, at most the work area for a resizable window.
    SIZE MinimumOuterSize() const { return {m_minOuterWidth, m_minOuterHeight}; }
    // The tips for F1 help; null when no context help is installed.
    IContextHelp* ContextHelp() const { return m_contextHelp.get(); }

    enum Border { BorderNone, BorderThin, BorderResizing, BorderDialogFrame };

protected:
    // Builds the extended dialog template, sized for the caption so nothing is written past it.
    void BuildTemplate(DWORD style, DWORD exStyle, int cx, int cy);
    const DLGTEMPLATE* Template() const;
    static void AttachToWindow(HWND hwnd, CTEVDialog* dialog);
    bool OwnsWindow(HWND window) const override;
    // Pixels of a rectangle given in this dialog's units.
    RECT MapDialogUnits(int left, int top, int right, int bottom) const;
    // Where the controls are made and laid out when the window is there (WM_INITDIALOG) or when
    // there is none: the gaps and margins in dialog units, the tree made, and the content laid
    // out at its size; need receives the least the content can do with.
    SIZE MakeAndLayOutContent(SIZE* need);

    std::vector<WORD> m_template; // the in-memory template; empty until first built
    OptString m_caption;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    OptString m_source;
    BOOL m_centerScreen = FALSE;
    int m_nextControlId = 100;
    BOOL m_contextHelpEnabled = FALSE;
    BOOL m_clipChildren = FALSE;
    BOOL m_clipSiblings = FALSE;
    int m_border = BorderNone;
    BOOL m_minimizeBox = FALSE;
    BOOL m_maximizeBox = FALSE;
    BOOL m_sysMenu = FALSE;
    std::unique_ptr<IContextHelp> m_contextHelp; // owned; closes its popup before it goes
    CTEVElement* m_defaultButton = nullptr;      // not owned
    int m_minOuterWidth = 0;
    int m_minOuterHeight = 0;

private:
    bool m_running = false; // inside DoModal
    void ComputeStyle();
    void PlaceWindow(int width, int height, const RECT& work);
    void SetMinimumOuterSize(SIZE frame, SIZE need, const RECT& work);
    // The outer size the window takes when asked for width and height: at least the minimum,
    // and for a resizable window at most the work area.
    SIZE OuterSize(int width, int height, const RECT& work) const;
    // The work area of the monitor the window opens on.
    RECT WorkArea() const;
    // The frame a window of this dialog's styles will have, for a layout without windows.
    SIZE ExpectedFrameSize();
    // The size to open with; need receives what the content cannot do without.
    SIZE ContentSize(int fixedWidth, int fixedHeight, SIZE* need);
    // The window's frame (caption, borders, menu bar) around its client area, as it stands now.
    SIZE FrameSize() const;
    void EnforceMinimumSize(WPARAM edge, RECT* rect) const;
    // The window moved to a monitor of another DPI: it takes the rectangle the system suggests
    // and lays its content out again in it.
    void FollowDpiChange(const RECT* suggested);
    // The window's first message: binds it to the dialog and builds the content.
    void OnFirstMessage(HWND hwnd);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The element a WM_DRAWITEM or WM_MEASUREITEM is meant for, or null.
    CTEVElement* OwnerDrawnElement(UINT message, WPARAM wParam, LPARAM lParam);
    void RouteCommand(WPARAM wParam, LPARAM lParam);
    void RouteNotify(WPARAM wParam, LPARAM lParam);
    void ShowContextHelp(const HELPINFO* info);
};
