// Access to the platform's XML DOM service: RAII owners for BSTR and VARIANT, and the few DOM
// calls every reader and writer of descriptions, strings and project files needs.
#pragma once

#include "ComPtr.h"
#include "TextUtil.h"

#include <msxml2.h>
#include <string>
#include <vector>

// Owns one BSTR. A failed allocation throws std::bad_alloc: COM strings are the one place
// where running out of memory is reported by an exception.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept;
    Bstr& operator=(Bstr&& other) noexcept;
    ~Bstr();

    BSTR Get() const { return m_bstr; }
    BSTR* Put();
    // The text, with a null BSTR read as empty.
    std::wstring Str() const;

private:
    BSTR m_bstr = nullptr;
};

// Owns one VARIANT: initialised on construction, cleared on destruction.
class Variant {
public:
    Variant();
    explicit Variant(const wchar_t* text);
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant();

    VARIANT* Get() { return &m_value; }
    const VARIANT& Value() const { return m_value; }
    VARIANT* Put();

private:
    VARIANT m_value;
};

namespace xml {

// A new free-threaded DOM document, synchronous, neither validating nor resolving externals.
ComPtr<IXMLDOMDocument> CreateDocument();

// Both succeed only when the call succeeds and the parser reports success.
bool LoadFile(IXMLDOMDocument* document, const wchar_t* path);
bool LoadText(IXMLDOMDocument* document, const wchar_t* text);
// The bytes of a file, already read.
bool LoadBytes(IXMLDOMDocument* document, const std::vector<char>& bytes);

// A fresh document loaded from a file, or null when it does not load.
ComPtr<IXMLDOMDocument> LoadFileDocument(const wchar_t* path);

ComPtr<IXMLDOMNode> AsNode(IXMLDOMDocument* document);
ComPtr<IXMLDOMNode> SelectSingleNode(IXMLDOMNode* node, const wchar_t* query);
ComPtr<IXMLDOMNode> FirstChild(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> NextSibling(IXMLDOMNode* node);

bool IsElement(IXMLDOMNode* node);
std::wstring NodeName(IXMLDOMNode* node);
// The concatenated text of the node and its descendants.
std::wstring NodeText(IXMLDOMNode* node);
// The attribute's text, or absent when the node is no element or has no such attribute.
OptString GetAttribute(IXMLDOMNode* node, const wchar_t* name);

// Writing; each reports failure as false or a null result.
bool AppendProcessingInstruction(IXMLDOMDocument* document, const wchar_t* target, const wchar_t* data);
// A new element without namespace, appended as the last child of parent.
ComPtr<IXMLDOMElement> AppendElement(IXMLDOMDocument* document, IXMLDOMNode* parent, const wchar_t* name);
bool SetAttribute(IXMLDOMElement* element, const wchar_t* name, const wchar_t* value);
bool SaveFile(IXMLDOMDocument* document, const wchar_t* path);

} // namespace xml
