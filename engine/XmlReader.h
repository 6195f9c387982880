// Reading an XML file as a stream of elements through the platform's XML service, for files read
// once from start to end: no document is built, so large projects load in a fraction of the time.
#pragma once

#include "TextUtil.h"

#include <windows.h>

#include <msxml2.h>

#include <functional>
#include <string_view>

namespace xml {

// The attributes of the element being read; valid only during the visit.
class ElementAttributes {
public:
    explicit ElementAttributes(ISAXAttributes* attributes) : m_attributes(attributes) {}
    // The value of the attribute with that qualified name, absent when the element has none.
    OptString Get(const wchar_t* name) const;

private:
    ISAXAttributes* m_attributes;
};

// depth: 0 for the root element. name: the qualified name, empty for an element in a namespace, as
// an unprefixed path step of the document service would not match it either.
using ElementVisitor = std::function<void(int depth, std::wstring_view name, const ElementAttributes&)>;
// A piece of the text (CDATA included) directly inside the element at depth; one text may come in
// several pieces.
using TextVisitor = std::function<void(int depth, std::wstring_view text)>;

// A reader kept for many files: making one costs more than reading a small description.
class ElementReader {
public:
    ElementReader();
    ~ElementReader();
    ElementReader(const ElementReader&) = delete;
    ElementReader& operator=(const ElementReader&) = delete;

    // Visits every element of the file in document order, each before its children. False when the
    // file cannot be opened or is not well-formed; elements before the fault may have been visited.
    // Texts go to visitText when one is given.
    bool Read(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText = nullptr);

private:
    ISAXXMLReader* m_reader = nullptr; // owned
};

// The same with a reader for this one file.
bool ReadElements(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText = nullptr);

} // namespace xml
