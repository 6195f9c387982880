// Reading an XML file as a stream of elements and texts in document order, for files read once from
// start to end, or its root element alone. Callers see only the stream, so the way the file is parsed
// can change without them.
#pragma once

#include "TextUtil.h"

#include <functional>
#include <string_view>

namespace xml {

// The attributes of the element being visited; valid only during the visit.
class ElementAttributes {
public:
    // The value of the attribute with that qualified name, absent when the element has none.
    virtual OptString Get(const wchar_t* name) const = 0;

protected:
    ~ElementAttributes() = default;
};

// depth: 0 for the root element. name: the qualified name, empty for an element in a namespace, as
// an unprefixed path step of the document service would not match it either.
using ElementVisitor = std::function<void(int depth, std::wstring_view name, const ElementAttributes&)>;
// A text (CDATA included) directly inside the element at depth, white space as written.
using TextVisitor = std::function<void(int depth, std::wstring_view text)>;

// Visits every element of the file in document order, each before its children, and its texts when
// visitText is given, in one pass as the file is parsed. False when the file cannot be opened or is
// not well-formed: then part of it may have been visited, so callers keep what they gather until
// true comes back.
bool ReadElements(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText = nullptr);

// name: as for ElementVisitor.
using RootVisitor = std::function<void(std::wstring_view name, const ElementAttributes&)>;

// Visits the root element alone, as ReadElements would visit it, reading the file only as far as the
// end of the root's start tag: what follows is neither read nor checked, so the cost does not grow
// with the file. False when the file cannot be opened or is not well-formed up to there; the root may
// have been visited then.
bool ReadRootElement(const wchar_t* path, const RootVisitor& visit);

} // namespace xml
