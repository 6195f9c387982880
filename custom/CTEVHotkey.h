// "hotkey": an edit-like field of its own window class in which the user presses a key
// combination, the Windows key included; it shows the combination by name and keeps it as one
// 16-bit value laid out as the platform's hotkey control value.
#pragma once

#include "CTEVElement.h"
#include "OwnWindow.h"

#include <string>

class CTEVHotkey : public CTEVElement, public COwnWindow {
public:
    CTEVHotkey(CTEVElement* parent, CTEVEngine* engine);
    ~CTEVHotkey() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Create() override;
    // Takes the low 16 bits; raises no event.
    void SetValue(int value) override;
    int GetValue() override;

    // The text the field shows for its value.
    const std::wstring& DisplayText() const { return m_text; }
    // "None", or the modifiers ("Ctrl + ", "Shift + ", "Alt + ", "Win + ") followed by the key's name;
    // the engine's string table may name "None" and the modifiers (ids hotkeyNone, hotkeyCtrl,
    // hotkeyShift, hotkeyAlt, hotkeyWin, without attribute).
    static std::wstring TextOf(WORD value, const CTEVEngine* engine = nullptr);

    // Flags of the value's high byte; the low byte is the main key's virtual-key code.
    static constexpr WORD kShift = 0x0100;    // HOTKEYF_SHIFT << 8
    static constexpr WORD kCtrl = 0x0200;     // HOTKEYF_CONTROL << 8
    static constexpr WORD kAlt = 0x0400;      // HOTKEYF_ALT << 8
    static constexpr WORD kExtended = 0x0800; // HOTKEYF_EXT << 8
    static constexpr WORD kWin = 0x2000;      // not known to the platform's control

    // Messages of the field's window: set the value from wParam, and answer the value.
    static constexpr UINT kSetValueMessage = WM_USER + 1;
    static constexpr UINT kGetValueMessage = WM_USER + 2;

protected:
    void OnBound(HWND hwnd) override;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;

private:
    void OnKeyDown(LPARAM lParam);
    void OnKeyUp(LPARAM lParam);
    // Shows the value and tells the dialog, after a key or a change of focus.
    void ReportChange();
    void KeepCompleteValue();
    // Text, caret and picture follow the value.
    void ShowValue();
    void PlaceCaret();
    HFONT TextFont() const;

    WORD m_value = 0;
    WORD m_completeValue = 0; // the last value set or given a main key
    std::wstring m_text;
    HFONT m_font = nullptr; // not owned: given with WM_SETFONT
};
