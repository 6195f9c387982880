// Choosing a file with the platform's common dialogs and handing the path on.
#include "CTEVSelectFile.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"

#include <commdlg.h>

#include <vector>

namespace {

struct FlagAttribute {
    const wchar_t* name;
    BOOL defaultValue;
    DWORD flag;
};

const FlagAttribute kFlagAttributes[] = {
    {L"allowMultiSelect", FALSE, OFN_ALLOWMULTISELECT},
    {L"dontAddRecent", TRUE, OFN_DONTADDTORECENT},
    {L"enableSizing", TRUE, OFN_ENABLESIZING},
    {L"explorer", FALSE, OFN_EXPLORER},
    {L"fileMustExist", FALSE, OFN_FILEMUSTEXIST},
    {L"forceHidden", FALSE, OFN_FORCESHOWHIDDEN},
    {L"hideReadOnly", TRUE, OFN_HIDEREADONLY},
    {L"longNames", TRUE, OFN_LONGNAMES},
    {L"noNetworkButton", FALSE, OFN_NONETWORKBUTTON},
    {L"noReadOnlyReturn", FALSE, OFN_NOREADONLYRETURN},
    {L"noTestFileCreate", FALSE, OFN_NOTESTFILECREATE},
    {L"noValidate", FALSE, OFN_NOVALIDATE},
    {L"overwriteprompt", TRUE, OFN_OVERWRITEPROMPT},
    {L"pathmustexist", TRUE, OFN_PATHMUSTEXIST},
    {L"readonly", FALSE, OFN_READONLY},
    {L"shareaware", FALSE, OFN_SHAREAWARE},
    {L"showhelp", FALSE, OFN_SHOWHELP},
    {L"createprompt", TRUE, OFN_CREATEPROMPT},
};

} // namespace

CTEVExt::~CTEVExt() = default;

BOOL CTEVExt::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"ext", tag, out);
}

BOOL CTEVExt::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_text = GetLocalizedAttribute(node, L"text");
    m_extension = GetAttributeString(node, L"extension");
    return TRUE;
}

CTEVSelectFile::~CTEVSelectFile() = default;

BOOL CTEVSelectFile::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"selectfile", tag, out);
}

BOOL CTEVSelectFile::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_flags = 0;
    for (const FlagAttribute& attribute : kFlagAttributes) {
        if (GetAttributeBool(node, attribute.name, attribute.defaultValue)) {
            m_flags |= attribute.flag;
        }
    }
    m_title = GetLocalizedAttribute(node, L"title");
    m_saveTo = GetAttributeString(node, L"saveto");
    m_defExt = GetAttributeString(node, L"defExt");
    m_type = GetAttributeEnum(node, L"type", OpenDialog, {L"open", L"save"});
    return TRUE;
}

// Takes no room in the layout and has nothing to show; its "ext" children are data only.
void CTEVSelectFile::Create() {
    m_minwidth = 0;
    m_minheight = 0;
}

std::wstring CTEVSelectFile::BuildFilter() const {
    std::wstring filter;
    for (const auto& child : m_children) {
        const auto* ext = dynamic_cast<const CTEVExt*>(child.get());
        if (!ext || !ext->Text() || !ext->Extension()) {
            continue;
        }
        filter.append(ext->Text()).push_back(L'\0');
        filter.append(ext->Extension()).push_back(L'\0');
    }
    if (!filter.empty()) {
        filter.push_back(L'\0');
    }
    return filter;
}

// The process's current folder belongs to the application: the dialog must not move it.
DWORD CTEVSelectFile::DialogFlags() const {
    return m_flags | OFN_NOCHANGEDIR;
}

void CTEVSelectFile::Execute(CTEVElement*) {
    if (m_running) {
        return;
    }
    m_running = true;
    RunDialog();
    m_running = false;
}

void CTEVSelectFile::RunDialog() {
    const std::wstring filter = BuildFilter();
    std::vector<wchar_t> path(kPathBufferSize, L'\0');

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_parent ? m_parent->GetContainerHwnd() : nullptr;
    dialog.hInstance = m_engine ? m_engine->Instance() : nullptr;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = CStrOrNull(m_title);
    dialog.lpstrDefExt = CStrOrNull(m_defExt);
    dialog.Flags = DialogFlags();

    const BOOL chosen = m_type == SaveDialog ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (chosen) {
        Deliver(path.data());
    }
}

void CTEVSelectFile::Deliver(const wchar_t* path) {
    CTEVElement* target = path[0] && m_saveTo ? GetRoot()->FindById(m_saveTo->c_str()) : nullptr;
    if (target) {
        target->SetText(path);
        target->Fire(L"changed", 0, 0);
        return;
    }
    Fire(L"fsselected", 0, reinterpret_cast<LPARAM>(path));
}
