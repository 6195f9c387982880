// The context help of a dialog: the tips of its "contexthelp" element and the borderless popup
// that shows one of them, formatted by the HTML drawer, next to the control it explains. The
// popup closes at the next key, click or loss of focus.
#pragma once

#include "CHtmlDrawer.h"
#include "ContextHelp.h"
#include "OwnWindow.h"
#include "TextUtil.h"

#include <windows.h>

#include <vector>

class CTEVEngine;

struct ContextHelpTip {
    OptString control; // the id of the element the tip belongs to
    OptString text;    // HTML subset; the translation when the string table has one
    OptString image;   // picture file name, drawn by the engine
    int imageWidth = 0; // 0: no picture
    int imageHeight = 0;
};

class CTEVContextHelp : public IContextHelp, public IHtmlDrawerSite, private COwnWindow {
public:
    explicit CTEVContextHelp(CTEVEngine* engine);
    ~CTEVContextHelp() override;

    void LoadTips(IXMLDOMNode* contexthelpNode) override;
    void Show(const wchar_t* controlId, HWND control) override;
    void Close() override;
    // Frame, picture and text of the current tip over the popup's client area.
    void Paint(HDC dc);

    void OnTitle(const wchar_t* title) override;

    const std::vector<ContextHelpTip>& Tips() const { return m_tips; }
    int Current() const { return m_current; }
    HWND Popup() const { return m_popup; }

private:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnBound(HWND hwnd) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;
    void PaintClient(HDC dc, const RECT& client);
    int FindTip(const wchar_t* controlId) const;

    CTEVEngine* m_engine; // not owned
    std::vector<ContextHelpTip> m_tips;
    int m_current = -1;
    HWND m_popup = nullptr; // the open popup; it is destroyed by Close at the latest
    CHtmlDrawer m_drawer;
};

// Where a popup of the given size goes: above the control, below it when there is no room above
// (and inside the bottom of the work area), pulled left and right to stay in the work area.
POINT PlaceContextHelp(const RECT& control, SIZE popup, const RECT& work);

// Makes every dialog created from now on carry this context help.
void RegisterContextHelp();
