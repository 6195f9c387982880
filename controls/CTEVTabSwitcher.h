// "tabswitcher": pages of "tab" children behind a self-drawn list of their items on the left and
// a caption bar on top, switched by click, the arrow keys or the commands "next" and "back".
#pragma once

#include "CTEVElement.h"
#include "GdiHandles.h"
#include "OwnWindow.h"
#include "PageMaking.h"

#include <optional>
#include <vector>

class CTEVTab;

class CTEVTabSwitcher : public CTEVElement, public COwnWindow, private IPageMaker {
public:
    CTEVTabSwitcher(CTEVElement* parent, CTEVEngine* engine);
    ~CTEVTabSwitcher() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void GetMinSize(SIZE* size) override;
    void Arrange(int x, int y, int cx, int cy) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    HWND GetContainerHwnd() override;
    void SetValue(int value) override;
    int GetValue() override;
    void SetText(const wchar_t* text) override;
    const wchar_t* GetText() override;
    void DoCommand(const wchar_t* command) override;
    void ApplyHidden() override;
    // Places the items in the list, one under the other, at the tallest item's height.
    virtual void LayoutCaptions();

    HWND CaptionWindow() const { return m_captionWindow; }
    bool IsTrackingHover() const { return m_tracking != FALSE; }

    static constexpr UINT_PTR kHoverTimerId = 100;
    static constexpr UINT kHoverIntervalMs = 50;

protected:
    void OnBound(HWND hwnd) override;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;

private:
    // The caption bar: a second own window that paints for the switcher.
    class CaptionBar : public COwnWindow {
    public:
        explicit CaptionBar(CTEVTabSwitcher& owner);

    protected:
        void OnBound(HWND hwnd) override;
        void Paint(HWND hwnd, HDC dc, const RECT& client) override;

    private:
        CTEVTabSwitcher& m_owner;
    };

    std::vector<CTEVTab*> Tabs() const;
    CTEVTab* SelectedTab() const;
    CTEVTab* TabAt(int x, int y) const;
    // Moves the selection to tab and repaints the list and the caption bar.
    void SwitchTo(CTEVTab* tab);
    // Pixels written for 96 DPI (the icons and the spacing around them) at the list's DPI.
    int Scaled(int pixels) const;
    SIZE MeasureItem(HDC dc, const CTEVTab& tab) const;
    void DrawItem(HDC dc, const CTEVTab& tab) const;
    void PaintCaption(HDC dc, const RECT& client);
    void RepaintItem(const CTEVTab& tab) const;
    void OnMouseMove(int x, int y);
    void OnHoverTimer(HWND hwnd);
    void EndHover();
    void MakeWaitingPage(CTEVElement& page) override;

    CaptionBar m_captionBar;
    HWND m_captionWindow = nullptr; // not owned
    GdiObject<HFONT> m_captionFont;
    BOOL m_tracking = FALSE;
    int m_imageAlign = 0;                // 0 left, 1 top
    int m_imageSize = 16;                // pixels at 96 DPI
    int m_dpi = USER_DEFAULT_SCREEN_DPI; // of the dialog's monitor when the list was made
    int m_itemHeight = 0;
    int m_listGap = 0;
    int m_captionGap = 0;
    int m_captionHeight = 0;
    BOOL m_showList = TRUE;
    BOOL m_showCaption = TRUE;
    std::optional<RECT> m_pageArea; // the rectangle the pages were last arranged in
};
