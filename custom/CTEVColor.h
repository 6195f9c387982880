// "color": a small square button showing a colour. A click opens a drop-down palette of 216
// colours and 54 greys with a preview swatch, an optional no-colour button and a button for
// the platform's full colour dialog; a choice changes the value and fires "changed".
#pragma once

#include "CTEVElement.h"
#include "OwnWindow.h"

#include <array>
#include <memory>

// The drop-down palette of one colour button. It lives as long as its button; its window only
// while it is open.
class CTEVColorPicker : public COwnWindow {
public:
    static constexpr int kColumns = 18;
    static constexpr int kRows = 15;

    CTEVColorPicker();
    ~CTEVColorPicker() override;

    // Opens the palette below (or above) the owner button, colour being the current one.
    void Open(HWND owner, int colour, HINSTANCE instance, BOOL enableNone);
    // Closes an open palette without a choice.
    void Close();

    HWND Window() const { return BoundWindow(); }
    int Current() const { return m_current; }
    COLORREF ColourAt(int column, int row) const { return m_palette[row * kColumns + column]; }
    // Client rectangles of the palette's parts at the DPI it last opened at, for painting, hit
    // tests and tests.
    RECT CellRect(int column, int row) const;
    RECT PreviewRect() const;
    RECT MoreColoursRect(const RECT& client) const;
    RECT NoColourRect(const RECT& client) const;

protected:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;

private:
    void OnMouseMove(HWND hwnd, POINT point);
    void OnLeftButtonDown(HWND hwnd, POINT point);
    void OnKeyDown(HWND hwnd, UINT key);
    void SetHot(HWND hwnd, int column, int row);
    // Closes the palette, then hands colour to the button: the button's event may run anything,
    // a nested dialog included, and must not find the palette still open and capturing.
    void Choose(int colour);
    // Pixels written for 96 DPI at the palette's DPI.
    int Scaled(int pixels) const;
    int Pitch() const { return Scaled(kPitch); }
    int GridTop() const { return Scaled(kGridTop); }
    RECT GridArea(const RECT& client) const;
    SIZE WindowSize() const; // border included

    static constexpr int kPitch = 15; // from one cell to the next; cells share their borders
    static constexpr int kGridTop = 20;

    std::array<COLORREF, kColumns * kRows> m_palette; // row by row
    int m_current = -1;                               // the colour under the mouse or keyboard
    HWND m_owner = nullptr;                           // not owned: the colour button's window
    int m_hotColumn = -1, m_hotRow = -1;              // the cell framed white; -1 = none
    BOOL m_enableNone = TRUE;
    bool m_closing = false; // inside Close, whose destruction reports a lost capture and activation
    int m_dpi = USER_DEFAULT_SCREEN_DPI; // of the owner button's monitor, taken when the palette opens
};

class CTEVColor : public CTEVElement, public COwnWindow {
public:
    // Messages of the button window: kPickColour (wParam = colour) takes a colour from the
    // palette; kRunColourDialog runs the platform's colour dialog.
    static constexpr UINT kPickColour = WM_USER + 1;
    static constexpr UINT kRunColourDialog = WM_USER + 2;

    CTEVColor(CTEVElement* parent, CTEVEngine* engine);
    ~CTEVColor() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void SetValue(int value) override;
    int GetValue() override;

    CTEVColorPicker& Picker() { return *m_picker; }

protected:
    void OnBound(HWND hwnd) override;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;

private:
    void OpenPalette();
    void RunColourDialog();
    void TakeColour(int colour);

    int m_value = -1; // a COLORREF; -1 = no colour
    std::unique_ptr<CTEVColorPicker> m_picker;
    BOOL m_enableNone = FALSE;
};
