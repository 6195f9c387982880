// Edit controls: styles, measuring in letters and rows, "changed" for typing only, and the
// text and number value operations.
#include "CTEVTextBox.h"

#include "AttributeReaders.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

namespace {

int ClampCount(int value, int maximum) {
    return std::clamp(value, 1, maximum);
}

} // namespace

BOOL CTEVTextBox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"textbox", tag, out);
}

BOOL CTEVTextBox::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_text = GetAttributeString(node, L"value");
    m_readonly = GetAttributeBool(node, L"readonly", FALSE);
    m_multiline = GetAttributeBool(node, L"multiline", FALSE);
    m_textrows = ClampCount(GetAttributeInt(node, L"textrows", 1), kMaxRows);
    m_textcols = ClampCount(GetAttributeInt(node, L"textcols", 10), kMaxLetters);
    m_size = ClampCount(GetAttributeInt(node, L"size", 10), kMaxLetters);
    m_numberonly = GetAttributeBool(node, L"numberonly", FALSE);
    m_password = GetAttributeBool(node, L"password", FALSE);
    m_textAlign = GetAttributeEnum(node, L"textalign", AlignLeft, {L"left", L"right", L"center"});
    m_wantReturn = GetAttributeBool(node, L"wantReturn", FALSE);
    m_autoHScroll = GetAttributeBool(node, L"autoHScroll", !m_multiline);
    m_autoVScroll = GetAttributeBool(node, L"autoVScroll", FALSE);
    m_hScroll = GetAttributeBool(node, L"hScroll", FALSE);
    m_vScroll = GetAttributeBool(node, L"vScroll", FALSE);
    m_maxlength = GetAttributeInt(node, L"maxlength", 0);
    return TRUE;
}

DWORD CTEVTextBox::WindowStyle() const {
    DWORD style = WS_TABSTOP;
    const std::pair<BOOL, DWORD> switches[] = {
        {m_readonly, ES_READONLY},
        {m_multiline, ES_MULTILINE},
        {m_numberonly, ES_NUMBER},
        {m_password, ES_PASSWORD},
        {m_wantReturn, ES_WANTRETURN},
        {m_autoHScroll, ES_AUTOHSCROLL},
        {m_autoVScroll, ES_AUTOVSCROLL},
        {m_hScroll, WS_HSCROLL},
        {m_vScroll, WS_VSCROLL},
        {m_textAlign == AlignRight, ES_RIGHT},
        {m_textAlign == AlignCenter, ES_CENTER},
    };
    for (const auto& [on, bit] : switches) {
        if (on) {
            style |= bit;
        }
    }
    return style;
}

void CTEVTextBox::Create() {
    CreateControlWindow(L"EDIT", CStrOrNull(m_text), WindowStyle(), WS_EX_CLIENTEDGE);
    if (m_maxlength > 0) {
        SendMessageW(m_window, EM_LIMITTEXT, m_maxlength, 0);
    }
    MeasureMinimumSize();
    CTEVElement::Create();
}

void CTEVTextBox::MeasureMinimumSize() {
    const int rows = m_multiline ? m_textrows : 1;
    const int letters = m_multiline ? m_textcols : m_size;
    // Every row is the same run of "W"s, so one row gives the width of all of them.
    const SIZE row = MeasureText(std::wstring(letters, L'W').c_str());
    m_minwidth = row.cx + 6;
    m_minheight = rows * DialogUnits(1, 14).cy;
}

BOOL CTEVTextBox::HandleCommand(int code, int, HWND) {
    // Text written by SetText is the application's own change, not the user's.
    if (code != EN_CHANGE || m_settingText) {
        return FALSE;
    }
    ExecuteChildren();
    return Fire(L"changed", 0, 0);
}

HWND CTEVTextBox::GetContainerHwnd() {
    return ParentContainer();
}

void CTEVTextBox::SetValue(int value) {
    SetText(std::to_wstring(value).c_str());
    ExecuteChildren();
}

int CTEVTextBox::GetValue() {
    const wchar_t* text = GetText();
    return text ? static_cast<int>(wcstol(text, nullptr, 10)) : 0;
}

void CTEVTextBox::SetText(const wchar_t* text) {
    // Copied first: text may be this element's own buffer, which the children may replace.
    const std::wstring copy = text ? text : L"";
    m_settingText = TRUE;
    SetWindowTextW(m_window, copy.c_str());
    m_settingText = FALSE;
    ExecuteChildren();
}

const wchar_t* CTEVTextBox::GetText() {
    const LRESULT length = std::max<LRESULT>(SendMessageW(m_window, WM_GETTEXTLENGTH, 0, 0), 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(m_window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    m_text = text.empty() ? std::nullopt : OptString(std::move(text));
    return CStrOrNull(m_text);
}
