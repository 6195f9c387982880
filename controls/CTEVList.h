// The "list" element: a list-view control whose columns come from "listcol" children and whose
// rows the application fills and reads; its notifications become the "lst-" events.
//
// The element keeps the rows itself. A report or list view shows them through a virtual
// (owner-data) control that asks for the texts of the rows it paints, so emptying and refilling
// tens of thousands of rows costs next to nothing in the control. Lists whose rows the user
// changes in place (check boxes, label editing) or places freely (icon views) keep a copy of
// every row in the control as well, since only a control that owns its rows does those.
#pragma once

#include "CTEVElement.h"

#include <functional>
#include <string>
#include <vector>

class CTEVList : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVList() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Arrange(int x, int y, int cx, int cy) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleNotify(WPARAM wParam, NMHDR* header) override;

    // Appends a row (image < 0: none); the new row's index, or -1.
    int InsertItem(const wchar_t* text, int param, int image);
    void SetItemText(int row, int column, const wchar_t* text);
    void DeleteAllItems();
    int GetItemCount();
    // The row's application value, or -1 when the row does not exist.
    int GetItemParam(int row);
    // The first selected row, or -1.
    int GetSelectedIndex();
    int GetSelectedParam();

    // Bulk changes: between BeginUpdate and the matching EndUpdate the control does not redraw
    // and a virtual control learns the new row count once, at the end, so thousands of rows go
    // in at the cost of one repaint. Pairs may nest.
    void BeginUpdate();
    void EndUpdate();
    // Allocates room for that many rows at once before a large fill.
    void ReserveItems(int rows);

    // A virtual list whose owner keeps the texts: the rows keep only their params, and every cell
    // is asked of the source (param, column; scratch may hold the answer), so a refill of tens of
    // thousands of rows copies no text. Texts given to InsertItem and SetItemText are not kept then.
    using TextSource = std::function<const wchar_t*(int param, int column, std::wstring& scratch)>;
    void SetTextSource(TextSource source);

    // The whole text of the cell at a point of the list's client area when the cell cuts it off,
    // as its tooltip shows it; empty when the cell shows all of it or there is no cell.
    std::wstring CutOffTextAt(POINT point);

private:
    struct Row {
        std::vector<std::wstring> texts; // one per column
        int param;
        int image; // < 0: none
    };

    DWORD WindowStyle() const;
    DWORD ExtendedListStyle() const;
    void InsertColumns();
    void DistributeColumnWidths();
    void ShowRowCount(DWORD flags);
    void AnswerDisplayInfo(NMLVDISPINFOW& info) const;
    // The text of a cell, from the row or the text source.
    const wchar_t* CellText(const Row& row, int column, std::wstring& scratch) const;
    int FindRow(const NMLVFINDITEMW& find) const;
    // Report views with "LabelTip": a tooltip on every cell that cuts its text off, the
    // subitems' cells too, which the control's own label tips leave out.
    void CreateCellTips();
    static LRESULT CALLBACK CellTipsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT OnCellTipsMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int m_view = 0; // "icon", "smallicon", "list", "report"
    BOOL m_noColHeader = FALSE;
    BOOL m_autoArrange = FALSE;
    BOOL m_alwaysShowSelection = TRUE;
    BOOL m_editLabels = FALSE;
    BOOL m_noSortHeader = TRUE;
    BOOL m_noLabelWrap = TRUE;
    BOOL m_noScroll = FALSE;
    BOOL m_singleSelection = TRUE;
    BOOL m_checkBoxes = FALSE;
    BOOL m_fullRowSelect = FALSE;
    BOOL m_gridLines = FALSE;
    BOOL m_headerDragDrop = FALSE;
    BOOL m_labelTip = FALSE;
    BOOL m_hasFlexibleColumns = FALSE;
    bool m_virtual = false; // the control shows m_rowData without holding them
    int m_columnCount = 1;  // cells per row: the "listcol" children, at least one
    std::vector<Row> m_rowData;
    TextSource m_textSource;        // set: the rows hold no texts
    int m_updateDepth = 0;          // open BeginUpdate calls
    BOOL m_redrawSuspended = FALSE; // redraw was switched off by the outermost BeginUpdate
    HWND m_cellTips = nullptr;      // the tooltip, destroyed with the list
    POINT m_tipCell = {-1, -1};     // the row (y) and column (x) the tooltip last showed
    std::wstring m_tipText;         // what the tooltip shows, alive while it shows it
};

// A column of a "list": fixed (a width in characters) or flexible (a share of the free width).
class CTEVListCol : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVListCol() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;

    const wchar_t* Caption() const { return CStrOrNull(m_caption); }
    int PixelWidth() const { return m_pixelWidth; }
    int Flex() const { return m_flex; }

    // Column sizes beyond this many characters are taken as this many.
    static constexpr int kMaxSizeInCharacters = 1000;

private:
    OptString m_caption;
    int m_pixelWidth = 0;
    int m_flex = 0;
};
