#include "XmlReader.h"

#include "ComPtr.h"
#include "XmlDom.h"

#include <shlwapi.h>

namespace xml {
namespace {

const CLSID kClsidSaxReader30 = {0x3124C396, 0xFB13, 0x4836, {0xA6, 0xAD, 0x13, 0x17, 0xF1, 0x71, 0x36, 0x88}};
const IID kIidSaxReader = {0xA4F96ED0, 0xF829, 0x476E, {0x81, 0xC0, 0xCD, 0xC7, 0xBD, 0x2A, 0x08, 0x02}};
const IID kIidContentHandler = {0x1545CDFA, 0x9E4E, 0x4497, {0xA8, 0xA4, 0x2B, 0xF7, 0xD0, 0x11, 0x2C, 0x44}};

// Lives on the caller's stack for one parse: the reference count is not used to free it.
class ContentHandler : public ISAXContentHandler {
public:
    ContentHandler(const ElementVisitor& visit, const TextVisitor& visitText)
        : m_visit(visit), m_visitText(visitText) {}

    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidContentHandler)) {
            *out = static_cast<ISAXContentHandler*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }

    HRESULT WINAPI putDocumentLocator(ISAXLocator*) override { return S_OK; }
    HRESULT WINAPI startDocument() override { return S_OK; }
    HRESULT WINAPI endDocument() override { return S_OK; }
    HRESULT WINAPI startPrefixMapping(const wchar_t*, int, const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI endPrefixMapping(const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI startElement(const wchar_t*, int uriLength, const wchar_t*, int, const wchar_t* qName,
                                int qNameLength, ISAXAttributes* attributes) override {
        // A visitor must not let an exception into the parser's own frames.
        try {
            const std::wstring_view name =
                uriLength > 0 || !qName ? std::wstring_view() : std::wstring_view(qName, static_cast<size_t>(qNameLength));
            m_visit(m_depth, name, ElementAttributes(attributes));
        } catch (...) {
            return E_FAIL;
        }
        ++m_depth;
        return S_OK;
    }
    HRESULT WINAPI endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int) override {
        --m_depth;
        return S_OK;
    }
    HRESULT WINAPI characters(const wchar_t* text, int length) override { return Text(text, length); }
    HRESULT WINAPI ignorableWhitespace(const wchar_t* text, int length) override { return Text(text, length); }
    HRESULT WINAPI processingInstruction(const wchar_t*, int, const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI skippedEntity(const wchar_t*, int) override { return S_OK; }

private:
    HRESULT Text(const wchar_t* text, int length) {
        if (!m_visitText || !text || length <= 0 || m_depth == 0) {
            return S_OK;
        }
        try {
            m_visitText(m_depth - 1, std::wstring_view(text, static_cast<size_t>(length)));
        } catch (...) {
            return E_FAIL;
        }
        return S_OK;
    }

    const ElementVisitor& m_visit;
    const TextVisitor& m_visitText;
    int m_depth = 0;
};

} // namespace

OptString ElementAttributes::Get(const wchar_t* name) const {
    const wchar_t* value = nullptr;
    int length = 0;
    if (!m_attributes || !name ||
        m_attributes->getValueFromQName(name, lstrlenW(name), &value, &length) != S_OK || !value) {
        return std::nullopt;
    }
    return std::wstring(value, static_cast<size_t>(length));
}

ElementReader::ElementReader() {
    if (FAILED(CoCreateInstance(kClsidSaxReader30, nullptr, CLSCTX_INPROC_SERVER, kIidSaxReader,
                                reinterpret_cast<void**>(&m_reader)))) {
        m_reader = nullptr;
        return;
    }
    // As the documents are read: no external DTD or entity is fetched.
    m_reader->putFeature(L"http://xml.org/sax/features/external-general-entities", VARIANT_FALSE);
    m_reader->putFeature(L"http://xml.org/sax/features/external-parameter-entities", VARIANT_FALSE);
}

ElementReader::~ElementReader() {
    if (m_reader) {
        m_reader->Release();
    }
}

bool ElementReader::Read(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText) {
    if (!m_reader || !path) {
        return false;
    }
    ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                      stream.Put()))) {
        return false;
    }
    ContentHandler handler(visit, visitText);
    if (FAILED(m_reader->putContentHandler(&handler))) {
        return false;
    }
    Variant source;
    source.Put()->vt = VT_UNKNOWN;
    source.Get()->punkVal = stream.Get();
    stream->AddRef();
    const HRESULT parsed = m_reader->parse(source.Value());
    m_reader->putContentHandler(nullptr);
    return parsed == S_OK;
}

bool ReadElements(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText) {
    return ElementReader().Read(path, visit, visitText);
}

} // namespace xml
