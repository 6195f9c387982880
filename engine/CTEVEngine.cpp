#include "CTEVEngine.h"

#include "CTEVBox.h"
#include "CTEVButton.h"
#include "CTEVCheckbox.h"
#include "CTEVChecksList.h"
#include "CTEVComboBox.h"
#include "CTEVDialog.h"
#include "CTEVDisabler.h"
#include "CTEVElement.h"
#include "CTEVFreeDraw.h"
#include "CTEVGroupbox.h"
#include "CTEVLabel.h"
#include "CTEVLine.h"
#include "CTEVList.h"
#include "CTEVListBox.h"
#include "CTEVListItem.h"
#include "CTEVPicture.h"
#include "CTEVProgress.h"
#include "CTEVRadio.h"
#include "CTEVRadioGroup.h"
#include "CTEVSelectFile.h"
#include "CTEVSendCMD.h"
#include "CTEVSlider.h"
#include "CTEVSpacer.h"
#include "CTEVSpin.h"
#include "CTEVTextBox.h"
#include "CTEVUrl.h"
#include "XmlDom.h"

namespace {

using ElementFactory = std::unique_ptr<CTEVElement> (*)(CTEVElement* parent, CTEVEngine* engine);

template <typename T> std::unique_ptr<CTEVElement> Make(CTEVElement* parent, CTEVEngine* engine) {
    return std::make_unique<T>(parent, engine);
}

template <int Orientation> std::unique_ptr<CTEVElement> MakeBox(CTEVElement* parent, CTEVEngine* engine) {
    return std::make_unique<CTEVBox>(parent, engine, Orientation);
}

std::unique_ptr<CTEVElement> MakeDialog(CTEVElement* parent, CTEVEngine* engine) {
    return std::make_unique<CTEVDialog>(nullptr, engine, parent);
}

struct TagEntry {
    const wchar_t* tag;
    ElementFactory create;
};

const TagEntry kTags[] = {
    {L"window", Make<CTEVWindow>},
    {L"dialog", MakeDialog},
    {L"textbox", Make<CTEVTextBox>},
    {L"box", MakeBox<-1>},
    {L"button", Make<CTEVButton>},
    {L"groupbox", Make<CTEVGroupbox>},
    {L"label", Make<CTEVLabel>},
    {L"checkbox", Make<CTEVCheckbox>},
    {L"radio", Make<CTEVRadio>},
    {L"combobox", Make<CTEVComboBox>},
    {L"radiogroup", Make<CTEVRadioGroup>},
    {L"spin", Make<CTEVSpin>},
    {L"vbox", MakeBox<1>},
    {L"hbox", MakeBox<0>},
    {L"spacer", Make<CTEVSpacer>},
    {L"listitem", Make<CTEVListItem>},
    {L"slider", Make<CTEVSlider>},
    {L"picture", Make<CTEVPicture>},
    {L"listbox", Make<CTEVListBox>},
    {L"line", Make<CTEVLine>},
    {L"url", Make<CTEVUrl>},
    {L"list", Make<CTEVList>},
    {L"selectfile", Make<CTEVSelectFile>},
    {L"ext", Make<CTEVExt>},
    {L"listcol", Make<CTEVListCol>},
    {L"checkslist", Make<CTEVChecksList>},
    {L"checkitem", Make<CTEVCheckItem>},
    {L"freedraw", Make<CTEVFreeDraw>},
    {L"disabler", Make<CTEVDisabler>},
    {L"sendcmd", Make<CTEVSendCMD>},
    {L"progress", Make<CTEVProgress>},
};

} // namespace

CTEVEngine::CTEVEngine(HINSTANCE instance) : m_instance(instance) {}

CTEVEngine::~CTEVEngine() = default;

std::unique_ptr<CTEVElement> CTEVEngine::CreateElement(const wchar_t* tag, CTEVElement* parent) {
    for (const TagEntry& entry : kTags) {
        if (EqualsNoCase(tag, entry.tag)) {
            return entry.create(parent, this);
        }
    }
    return nullptr;
}

void CTEVEngine::DrawImage(HDC, int, int, int, int, const wchar_t*) {}

void CTEVEngine::OpenHelp(HWND, const wchar_t*, int) {}

BOOL CTEVEngine::IsViewer() {
    return FALSE;
}

void CTEVEngine::LoadStrings(const wchar_t* path) {
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(path);
    if (!document) {
        return;
    }
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"strings");
    ComPtr<IXMLDOMNode> node = xml::SelectSingleNode(root.Get(), L"string");
    for (; node; node = xml::NextSibling(node.Get())) {
        // Comments, white space and entries without id can never answer a lookup.
        if (!xml::IsElement(node.Get())) {
            continue;
        }
        OptString id = xml::GetAttribute(node.Get(), L"id");
        if (!id) {
            continue;
        }
        m_strings.push_back(
            {std::move(id), xml::GetAttribute(node.Get(), L"attr"), xml::GetAttribute(node.Get(), L"loc")});
    }
}

const wchar_t* CTEVEngine::FindString(const wchar_t* id, const wchar_t* attribute) const {
    if (!id) {
        return nullptr;
    }
    for (const StringEntry& entry : m_strings) {
        if (!EqualsNoCase(entry.id, id)) {
            continue;
        }
        const bool attributeMatches =
            attribute ? EqualsNoCase(entry.attribute, attribute) : !entry.attribute.has_value();
        if (attributeMatches) {
            return CStrOrNull(entry.text);
        }
    }
    return nullptr;
}
