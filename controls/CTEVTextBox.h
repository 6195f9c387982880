// The "textbox" element: a single- or multi-line edit control whose typing fires "changed",
// read and written as text or as a decimal number.
#pragma once

#include "CTEVElement.h"

class CTEVTextBox : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;
    HWND GetContainerHwnd() override;
    void SetValue(int value) override;
    int GetValue() override;
    void SetText(const wchar_t* text) override;
    const wchar_t* GetText() override;

    enum TextAlign { AlignLeft, AlignRight, AlignCenter };

    // Bounds of the sizes a description gives in letters and rows: measuring builds a text
    // of that many letters, which must stay small whatever the description says.
    static constexpr int kMaxLetters = 1000;
    static constexpr int kMaxRows = 500;

private:
    DWORD WindowStyle() const;
    void MeasureMinimumSize();

    OptString m_text; // the "value" text, later the result of the last GetText
    BOOL m_readonly = FALSE;
    BOOL m_multiline = FALSE;
    int m_textrows = 1;
    int m_textcols = 10;
    int m_size = 10;
    BOOL m_numberonly = FALSE;
    BOOL m_password = FALSE;
    int m_textAlign = AlignLeft;
    BOOL m_wantReturn = FALSE;
    BOOL m_autoHScroll = TRUE;
    BOOL m_autoVScroll = FALSE;
    BOOL m_hScroll = FALSE;
    BOOL m_vScroll = FALSE;
    int m_maxlength = 0;        // 0: no limit beyond the control's own
    BOOL m_settingText = FALSE; // true while SetText writes the window text
};
