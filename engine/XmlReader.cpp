#include "XmlReader.h"

#include "ComPtr.h"
#include "XmlDom.h"

#include <utility>
#include <vector>

namespace xml {
namespace {

// The platform's streaming reader would be faster, but under Wine it overruns a fixed buffer when
// it reports an error naming a long tag, which ends the process: the document service parses
// instead, and the tree is walked here as a stream.
ComPtr<IXMLDOMDocument> LoadKeepingWhiteSpace(const wchar_t* path) {
    ComPtr<IXMLDOMDocument> document = CreateDocument();
    if (!document || FAILED(document->put_preserveWhiteSpace(VARIANT_TRUE)) || !LoadFile(document.Get(), path)) {
        return nullptr;
    }
    return document;
}

bool InNamespace(IXMLDOMNode* node) {
    Bstr uri;
    return SUCCEEDED(node->get_namespaceURI(uri.Put())) && uri.Get() && SysStringLen(uri.Get()) > 0;
}

void VisitNode(IXMLDOMNode* node, int depth, const ElementVisitor& visit, const TextVisitor& visitText) {
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    if (type == NODE_ELEMENT) {
        const std::wstring name = InNamespace(node) ? std::wstring() : NodeName(node);
        visit(depth, name, ElementAttributes(node));
    } else if (visitText && (type == NODE_TEXT || type == NODE_CDATA_SECTION) && depth > 0) {
        Bstr text;
        node->get_text(text.Put());
        visitText(depth - 1, std::wstring_view(text.Get() ? text.Get() : L"", text.Get() ? SysStringLen(text.Get()) : 0));
    }
}

} // namespace

OptString ElementAttributes::Get(const wchar_t* name) const {
    return GetAttribute(m_element, name);
}

// The walk keeps its own stack of nodes still to visit, so a tree however deep cannot exhaust the
// call stack.
bool ReadElements(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText) {
    ComPtr<IXMLDOMDocument> document = path ? LoadKeepingWhiteSpace(path) : nullptr;
    // The root element, whatever comes before it (a declaration, a document type).
    ComPtr<IXMLDOMNode> rootNode = SelectSingleNode(AsNode(document.Get()).Get(), L"*");
    if (!rootNode) {
        return false;
    }
    std::vector<std::pair<ComPtr<IXMLDOMNode>, int>> pending;
    pending.emplace_back(std::move(rootNode), 0);
    while (!pending.empty()) {
        auto [node, depth] = std::move(pending.back());
        pending.pop_back();
        VisitNode(node.Get(), depth, visit, visitText);
        // The sibling goes below the child so that the whole subtree comes first.
        if (depth > 0) {
            if (ComPtr<IXMLDOMNode> sibling = NextSibling(node.Get())) {
                pending.emplace_back(std::move(sibling), depth);
            }
        }
        if (ComPtr<IXMLDOMNode> child = FirstChild(node.Get())) {
            pending.emplace_back(std::move(child), depth + 1);
        }
    }
    return true;
}

} // namespace xml
