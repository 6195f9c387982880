#include "CTEVElement.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "GdiHandles.h"
#include "GridLayout.h"
#include "TextRoom.h"
#include "XmlDom.h"

#include <algorithm>

namespace {

// The UTF-16 text of a "TEVLIB" resource: an odd last byte is dropped, a leading byte-order
// mark skipped. Absent when the resource does not exist.
OptString LoadResourceText(HINSTANCE instance, const wchar_t* name) {
    HRSRC resource = FindResourceW(instance, name, L"TEVLIB");
    if (!resource) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        return std::nullopt;
    }
    const size_t units = SizeofResource(instance, resource) / sizeof(wchar_t);
    std::wstring text(static_cast<const wchar_t*>(data), units);
    if (!text.empty() && text[0] == 0xFEFF) {
        text.erase(0, 1);
    }
    // The text ends at its first terminator, as a C string would.
    text.resize(wcslen(text.c_str()));
    return text;
}

ComPtr<IXMLDOMDocument> LoadDescription(const wchar_t* source, HINSTANCE instance) {
    ComPtr<IXMLDOMDocument> document = xml::CreateDocument();
    if (!document || !source) {
        return nullptr;
    }
    bool loaded = false;
    if (wcsncmp(source, L"res:", 4) == 0) {
        const OptString text = LoadResourceText(instance, source + 4);
        loaded = text && xml::LoadText(document.Get(), text->c_str());
    } else {
        loaded = xml::LoadFile(document.Get(), source);
    }
    return loaded ? std::move(document) : nullptr;
}

// How many child windows deep a window is in its top-level window.
int WindowNesting(HWND window) {
    int nesting = 0;
    for (; window && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD); window = GetParent(window)) {
        ++nesting;
    }
    return nesting;
}

// The elements of the tree under root, root included, counted up to limit.
int CountElements(IXMLDOMNode* root, int limit) {
    int count = 0;
    // An own stack of nodes to visit: any nesting depth is safe.
    std::vector<ComPtr<IXMLDOMNode>> pending;
    pending.push_back(xml::FirstChild(root));
    count += xml::IsElement(root) ? 1 : 0;
    while (!pending.empty() && count < limit) {
        ComPtr<IXMLDOMNode> node = std::move(pending.back());
        pending.pop_back();
        if (!node) {
            continue;
        }
        count += xml::IsElement(node.Get()) ? 1 : 0;
        pending.push_back(xml::NextSibling(node.Get()));
        pending.push_back(xml::FirstChild(node.Get()));
    }
    return count;
}

// Scope of one layout pass: nested scopes join the outermost one, which numbers the pass.
class LayoutPass {
public:
    LayoutPass() {
        // 0 stays "no pass", also after the counter wraps.
        if (s_depth++ == 0 && ++s_number == 0) {
            s_number = 1;
        }
    }
    ~LayoutPass() { --s_depth; }
    LayoutPass(const LayoutPass&) = delete;
    LayoutPass& operator=(const LayoutPass&) = delete;

    static unsigned Number() { return s_number; }

private:
    // Layout runs on the thread that owns the windows.
    static thread_local int s_depth;
    static thread_local unsigned s_number;
};

thread_local int LayoutPass::s_depth = 0;
thread_local unsigned LayoutPass::s_number = 0;

} // namespace

CTEVElement::CTEVElement(CTEVElement* parent, CTEVEngine* engine) : m_parent(parent), m_engine(engine) {}

CTEVElement::~CTEVElement() = default;

BOOL CTEVElement::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"", tag, out);
}

BOOL CTEVElement::MatchesKind(const wchar_t* ownTag, const wchar_t* tag, CTEVElement** out) {
    const bool matches = EqualsNoCase(tag, ownTag);
    if (out) {
        *out = matches ? this : nullptr;
    }
    return matches;
}

SIZE CTEVElement::MeasuredMinSize() {
    LayoutPass pass;
    if (m_measuredPass != LayoutPass::Number()) {
        SIZE size = {0, 0};
        GetMinSize(&size);
        m_measured = size;
        m_measuredPass = LayoutPass::Number();
    }
    return m_measured;
}

void CTEVElement::ForgetMeasure() {
    // An ancestor without a measure has none that could include this one.
    for (CTEVElement* e = this; e && e->m_measuredPass == LayoutPass::Number(); e = e->m_parent) {
        e->m_measuredPass = 0;
    }
}

void CTEVElement::GetMinSize(SIZE* size) {
    LayoutPass pass;
    int contentWidth = 0;
    int contentHeight = 0;
    if (!m_children.empty()) {
        const GridShape shape =
            ComputeGridShape(static_cast<int>(m_children.size()), m_orient, m_columns, m_rows);
        std::vector<GridTrack> columns(shape.columns);
        std::vector<GridTrack> rows(shape.rows);
        CollectTracks(shape, columns, rows);
        contentWidth = TotalTrackSize(columns, m_columnGap);
        contentHeight = TotalTrackSize(rows, m_rowGap);
    }
    size->cx =
        AddClamped(std::max(contentWidth, m_minwidth), static_cast<long long>(m_marginLeft) + m_marginRight);
    size->cy = AddClamped(std::max(contentHeight, m_minheight),
                          static_cast<long long>(m_marginTop) + m_marginBottom);
}

void CTEVElement::CollectTracks(const GridShape& shape, std::vector<GridTrack>& columns,
                                std::vector<GridTrack>& rows) {
    std::fill(columns.begin(), columns.end(), GridTrack());
    std::fill(rows.begin(), rows.end(), GridTrack());
    for (size_t i = 0; i < m_children.size(); ++i) {
        CTEVElement& child = *m_children[i];
        int column = 0;
        int row = 0;
        GridCell(shape, m_orient, static_cast<int>(i), &column, &row);
        if (columns[column].factor == 0) {
            columns[column].factor = child.m_hFlex;
        }
        if (rows[row].factor == 0) {
            rows[row].factor = child.m_vFlex;
        }
        const SIZE childSize = child.MeasuredMinSize();
        columns[column].size = std::max<int>(columns[column].size, childSize.cx);
        rows[row].size = std::max<int>(rows[row].size, childSize.cy);
    }
}

void CTEVElement::Arrange(int x, int y, int cx, int cy) {
    if (m_parent) {
        PlaceControl(x, y, cx, cy);
    }
    ArrangeChildren(x, y, cx, cy);
}

void CTEVElement::PlaceControl(int x, int y, int cx, int cy, UINT flags) {
    if (m_window) {
        SetWindowPos(m_window, nullptr, x, y, cx, cy, flags);
    } else if (m_standIn) {
        // As the platform stores a window's size.
        cx = std::clamp(cx, 0, kLargestWindowSize);
        cy = std::clamp(cy, 0, kLargestWindowSize);
        m_standIn->rect = {x, y, x + cx, y + cy};
    }
}

void CTEVElement::ArrangeChildren(int x, int y, int cx, int cy) {
    if (m_children.empty()) {
        return;
    }
    LayoutPass pass;
    const GridShape shape =
        ComputeGridShape(static_cast<int>(m_children.size()), m_orient, m_columns, m_rows);
    std::vector<GridTrack> columns(shape.columns);
    std::vector<GridTrack> rows(shape.rows);
    const int availableWidth = AddClamped(cx, -(static_cast<long long>(m_marginLeft) + m_marginRight));
    const int availableHeight = AddClamped(cy, -(static_cast<long long>(m_marginTop) + m_marginBottom));
    auto measure = [&] {
        CollectTracks(shape, columns, rows);
        DistributeTracks(columns, availableWidth, m_columnGap);
        DistributeTracks(rows, availableHeight, m_rowGap);
    };

    measure();
    for (size_t i = 0; i < m_children.size(); ++i) {
        int column = 0;
        int row = 0;
        GridCell(shape, m_orient, static_cast<int>(i), &column, &row);
        m_children[i]->SetLayoutWidth(columns[column].size);
        m_children[i]->ForgetMeasure();
    }
    // Word-wrapping children now know their widths and may have grown taller.
    measure();

    std::vector<int> columnLeft(shape.columns);
    std::vector<int> rowTop(shape.rows);
    // Sizes and margins come from attributes: the positions saturate instead of wrapping.
    int position = AddClamped(x, m_marginLeft);
    for (int c = 0; c < shape.columns; ++c) {
        columnLeft[c] = position;
        position = AddClamped(position, static_cast<long long>(columns[c].size) + m_columnGap);
    }
    position = AddClamped(y, m_marginTop);
    for (int r = 0; r < shape.rows; ++r) {
        rowTop[r] = position;
        position = AddClamped(position, static_cast<long long>(rows[r].size) + m_rowGap);
    }
    for (size_t i = 0; i < m_children.size(); ++i) {
        int column = 0;
        int row = 0;
        GridCell(shape, m_orient, static_cast<int>(i), &column, &row);
        m_children[i]->Arrange(columnLeft[column], rowTop[row], columns[column].size, rows[row].size);
    }
}

BOOL CTEVElement::LoadFromNode(IXMLDOMNode* node) {
    m_width = GetAttributeInt(node, L"width", 0);
    m_height = GetAttributeInt(node, L"height", 0);
    m_left = GetAttributeInt(node, L"left", 0);
    m_top = GetAttributeInt(node, L"top", 0);
    m_hFlex = GetAttributeInt(node, L"hFlex", 0);
    m_vFlex = GetAttributeInt(node, L"vFlex", 0);
    m_minwidth = GetAttributeInt(node, L"minwidth", 0);
    m_maxwidth = GetAttributeInt(node, L"maxwidth", 0);
    m_minheight = GetAttributeInt(node, L"minheight", 0);
    m_maxheight = GetAttributeInt(node, L"maxheight", 0);
    m_columns = GetAttributeInt(node, L"columns", 0);
    m_rows = GetAttributeInt(node, L"rows", 0);
    m_hidden = GetAttributeBool(node, L"hidden", FALSE);
    m_disabled = GetAttributeBool(node, L"disabled", FALSE);
    m_orient = GetAttributeEnum(node, L"orient", 0, {L"horizontal", L"vertical"});
    m_locid = GetAttributeString(node, L"locid");
    m_id = GetAttributeString(node, L"id");

    m_controlId = NewControlId();

    if (!m_engine || Depth() >= kMaxDepth) {
        return TRUE;
    }
    for (ComPtr<IXMLDOMNode> child = xml::FirstChild(node); child; child = xml::NextSibling(child.Get())) {
        const std::wstring name = xml::NodeName(child.Get());
        std::unique_ptr<CTEVElement> element = m_engine->CreateElement(name.c_str(), this);
        if (element) {
            element->LoadFromNode(child.Get());
            AddChild(std::move(element));
        }
    }
    return TRUE;
}

BOOL CTEVElement::LoadDocument(const wchar_t* source, const wchar_t* rootPath, HINSTANCE instance) {
    ComPtr<IXMLDOMDocument> document = LoadDescription(source, instance);
    if (!document) {
        return FALSE;
    }
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), rootPath);
    if (!root) {
        return FALSE;
    }
    m_tooManyElements = CountElements(root.Get(), kMaxElements + 1) > kMaxElements;
    return m_tooManyElements ? FALSE : LoadFromNode(root.Get());
}

void CTEVElement::AddChild(std::unique_ptr<CTEVElement> child) {
    if (child) {
        m_children.push_back(std::move(child));
    }
}

void CTEVElement::Create() {
    InheritGaps();
    CreateChildren(m_children.size());
}

int CTEVElement::ContainerNesting() {
    if (!LaysOutWithoutWindows()) {
        return WindowNesting(GetContainerHwnd());
    }
    // Each tab panel is a child window inside the one around it; the dialog itself is none.
    int nesting = 0;
    for (const CTEVElement* e = this; e; e = e->m_parent) {
        nesting += e->m_standIn && e->m_standIn->holdsControls ? 1 : 0;
    }
    return nesting;
}

void CTEVElement::CreateChildren(size_t count) {
    count = std::min(count, m_children.size());
    if (count == 0 || ContainerNesting() > kMaxWindowNesting) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        m_children[i]->Create();
    }
}

void CTEVElement::InheritGaps() {
    if (m_parent) {
        m_columnGap = m_parent->m_columnGap;
        m_rowGap = m_parent->m_rowGap;
    }
}

void CTEVElement::Execute(CTEVElement*) {}

int CTEVElement::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    return m_parent ? m_parent->FireEvent(source, event, wParam, lParam) : 0;
}

int CTEVElement::NewControlId() {
    return m_parent ? m_parent->NewControlId() : 0;
}

BOOL CTEVElement::HandleNotify(WPARAM, NMHDR*) {
    return FALSE;
}

BOOL CTEVElement::HandleCommand(int, int, HWND) {
    return FALSE;
}

HWND CTEVElement::GetContainerHwnd() {
    if (m_window) {
        return m_window;
    }
    return m_parent ? m_parent->GetContainerHwnd() : nullptr;
}

void CTEVElement::SetValue(int) {}

int CTEVElement::GetValue() {
    return 0;
}

void CTEVElement::SetText(const wchar_t*) {}

const wchar_t* CTEVElement::GetText() {
    return nullptr;
}

void CTEVElement::DoCommand(const wchar_t*) {}

void CTEVElement::ApplyHidden() {
    if (m_window) {
        ShowWindow(m_window, IsHidden() ? SW_HIDE : SW_SHOW);
    }
    for (auto& child : m_children) {
        child->ApplyHidden();
    }
}

void CTEVElement::ApplyDisabled() {
    if (m_window) {
        EnableWindow(m_window, !IsDisabled());
    }
    for (auto& child : m_children) {
        child->ApplyDisabled();
    }
}

BOOL CTEVElement::IsDisabled() {
    if (m_disabled) {
        return TRUE;
    }
    return m_parent ? m_parent->IsDisabled() : FALSE;
}

BOOL CTEVElement::IsHidden() {
    if (m_hidden) {
        return TRUE;
    }
    return m_parent ? m_parent->IsHidden() : FALSE;
}

void CTEVElement::SetLayoutWidth(int) {}

void CTEVElement::NeedWindows() {}

int CTEVElement::Fire(const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    return FireEvent(this, event, wParam, lParam);
}

void CTEVElement::ExecuteChildren() {
    for (auto& child : m_children) {
        child->Execute(this);
    }
}

void CTEVElement::SetHidden(BOOL hidden) {
    m_hidden = hidden;
    ApplyHidden();
}

void CTEVElement::SetDisabled(BOOL disabled) {
    m_disabled = disabled;
    ApplyDisabled();
}

CTEVElement* CTEVElement::GetRoot() {
    CTEVElement* element = this;
    while (element->m_parent) {
        element = element->m_parent;
    }
    return element;
}

template <typename Predicate> CTEVElement* CTEVElement::FindFirst(Predicate matches) {
    if (matches(*this)) {
        return this;
    }
    for (auto& child : m_children) {
        if (CTEVElement* found = child->FindFirst(matches)) {
            return found;
        }
    }
    return nullptr;
}

CTEVElement* CTEVElement::FindById(const wchar_t* id) {
    CTEVElement* found = FindFirst([id](const CTEVElement& e) { return EqualsNoCase(e.m_id, id); });
    if (found) {
        // Outermost first: a page inside a waiting page has its container only once that is made.
        std::vector<CTEVElement*> path;
        for (CTEVElement* e = found; e; e = e->m_parent) {
            path.push_back(e);
        }
        for (auto e = path.rbegin(); e != path.rend(); ++e) {
            (*e)->NeedWindows();
        }
    }
    return found;
}

CTEVElement* CTEVElement::FindByHwnd(HWND window) {
    if (!window) {
        return nullptr;
    }
    return FindFirst([window](const CTEVElement& e) { return e.m_window == window; });
}

CTEVElement* CTEVElement::FindByControlId(int controlId) {
    return FindFirst([controlId](const CTEVElement& e) { return e.m_controlId == controlId; });
}

BOOL CTEVElement::FocusFirstTabStop() {
    CTEVElement* target = FindFirst([](const CTEVElement& e) {
        return e.m_window && (GetWindowLongW(e.m_window, GWL_STYLE) & WS_TABSTOP) != 0;
    });
    if (!target) {
        return FALSE;
    }
    SetFocus(target->m_window);
    return TRUE;
}

OptString CTEVElement::GetLocalizedAttribute(IXMLDOMNode* node, const wchar_t* name) {
    if (m_locid && m_engine) {
        if (const wchar_t* translated = m_engine->FindString(m_locid->c_str(), name)) {
            return std::wstring(translated);
        }
    }
    return GetAttributeString(node, name);
}

HWND CTEVElement::ParentContainer() const {
    return m_parent ? m_parent->GetContainerHwnd() : nullptr;
}

HWND CTEVElement::CreateControlWindow(const wchar_t* className, const wchar_t* text, DWORD style,
                                      DWORD exStyle, void* createParam) {
    style |= WS_CHILD;
    if (!IsHidden()) {
        style |= WS_VISIBLE;
    }
    if (IsDisabled()) {
        style |= WS_DISABLED;
    }
    if (LaysOutWithoutWindows()) {
        StandInForWindow(text);
        return nullptr;
    }
    HINSTANCE instance = m_engine ? m_engine->Instance() : nullptr;
    m_window =
        CreateWindowExW(exStyle, className, text, style, m_left, m_top, m_width, m_height, ParentContainer(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_controlId)), instance, createParam);
    if (m_window) {
        SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    }
    return m_window;
}

SIZE CTEVElement::DialogUnits(int x, int y) const {
    if (const std::optional<SIZE> units = WindowlessBaseUnits()) {
        // What MapDialogRect does with the dialog's base units.
        return {MulDiv(x, units->cx, 4), MulDiv(y, units->cy, 8)};
    }
    RECT rect = {0, 0, x, y};
    MapDialogRect(ParentContainer(), &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

std::optional<SIZE> CTEVElement::WindowlessBaseUnits() const {
    const CTEVElement* root = this;
    while (root->m_parent) {
        root = root->m_parent;
    }
    return root->m_baseUnits;
}

bool CTEVElement::LaysOutWithoutWindows() const {
    return WindowlessBaseUnits().has_value();
}

void CTEVElement::StandInForWindow(const wchar_t* text, bool holdsControls) {
    m_standIn = std::make_unique<StandIn>();
    m_standIn->text = text ? text : L"";
    m_standIn->holdsControls = holdsControls;
}

RECT CTEVElement::PlacedRect() const {
    if (m_standIn) {
        return m_standIn->rect;
    }
    RECT rect = {};
    if (m_window) {
        GetWindowRect(m_window, &rect);
        MapWindowPoints(HWND_DESKTOP, GetParent(m_window), reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

RECT CTEVElement::RectInDialog() const {
    if (m_window) {
        RECT rect = {};
        GetWindowRect(m_window, &rect);
        MapWindowPoints(HWND_DESKTOP, GetAncestor(m_window, GA_ROOT), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    RECT rect = PlacedRect();
    for (const CTEVElement* e = m_parent; e; e = e->m_parent) {
        if (e->m_standIn && e->m_standIn->holdsControls) {
            OffsetRect(&rect, e->m_standIn->rect.left, e->m_standIn->rect.top);
        }
    }
    return rect;
}

std::wstring CTEVElement::WindowText() const {
    if (m_window) {
        return ControlText(m_window);
    }
    return m_standIn ? m_standIn->text : std::wstring();
}

SIZE CTEVElement::ClientArea() const {
    if (m_window) {
        return ClientSize(m_window);
    }
    const RECT rect = PlacedRect();
    return {rect.right - rect.left, rect.bottom - rect.top};
}

HDC CTEVElement::MeasuringDC() {
    static const MemoryDC dc(nullptr);
    return dc.Get();
}

SIZE CTEVElement::MeasureText(const wchar_t* text, UINT extraFormat, int width) const {
    HDC dc = MeasuringDC();
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {0, 0, width, 3};
    const int length = text ? static_cast<int>(std::min<size_t>(wcslen(text), kMaxMeasuredText)) : 1;
    DrawTextW(dc, text ? text : L"W", length, &rect, DT_CALCRECT | DT_EDITCONTROL | extraFormat);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int CTEVElement::Depth() const {
    int depth = 0;
    for (const CTEVElement* e = m_parent; e; e = e->m_parent) {
        ++depth;
    }
    return depth;
}
