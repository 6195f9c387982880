// The "combobox" element: a drop-down list (optionally editable) whose entries carry integer
// item data; its value is the selected entry's data, its text the shown text.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVComboBox : public CTEVElement, public IItemTextRooms {
public:
    using CTEVElement::CTEVElement;
    ~CTEVComboBox() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Arrange(int x, int y, int cx, int cy) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;
    // Selects the first entry whose item data is value (none: the selection stays).
    void SetValue(int value) override;
    // The selected entry's item data, or -1 without a selection.
    int GetValue() override;
    void SetText(const wchar_t* text) override;
    // The selected entry's text, else the typed text of an editable box; null when empty.
    // The buffer is the element's, valid until the next call.
    const wchar_t* GetText() override;

    void AddItem(int data, const wchar_t* text);
    // Replaces the text of the first entry with that item data, keeping its place and the selection.
    void SetItemText(int data, const wchar_t* text);
    void ResetContent();

    // The entries as the closed box shows the selected one; none for an editable box, whose edit
    // field scrolls its text.
    std::vector<ItemTextRoom> MeasureItemTextRooms() override;

    // "size" is kept between 0 and this many characters.
    static constexpr int kMaxSizeInCharacters = 1000;

private:
    DWORD WindowStyle() const;
    OptString EntryText(int index) const;
    OptString EditText() const;
    int FindEntryByText(const wchar_t* text) const;
    // Where the closed box shows its selected entry, beside the drop button, in client pixels.
    RECT TextArea(SIZE client) const;

    BOOL m_editable = FALSE;
    BOOL m_sorted = FALSE;
    int m_size = 10;
    int m_ownerDraw = 0;    // "no", "fixed", "variable"
    OptString m_textBuffer; // what the last GetText answered
};
