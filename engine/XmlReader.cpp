#include "XmlReader.h"

#include "ComPtr.h"
#include "KernelHandles.h"
#include "XmlDom.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <exception>
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace xml {
namespace {

FileHandle OpenToRead(const wchar_t* path) {
    return FileHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Appends up to count more bytes of the file; fewer mean that the file ended. False when reading
// fails or memory runs out.
bool ReadMore(HANDLE file, std::vector<char>& bytes, size_t count) {
    const size_t start = bytes.size();
    try {
        bytes.resize(start + count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_t filled = start;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read,
                      nullptr)) {
            return false;
        }
        if (read == 0) {
            break; // the file ended, or shrank meanwhile
        }
        filled += read;
    }
    bytes.resize(filled);
    return true;
}

// The callers bound the files they read, so each is read whole, once, for whichever parser reads it.
std::optional<std::vector<char>> ReadFileBytes(const wchar_t* path) {
    const FileHandle file(OpenToRead(path));
    LARGE_INTEGER size = {};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > INT_MAX) {
        return std::nullopt;
    }
    std::vector<char> bytes;
    if (!ReadMore(file.Get(), bytes, static_cast<size_t>(size.QuadPart))) {
        return std::nullopt;
    }
    return bytes;
}

// --- expat -------------------------------------------------------------------------------------

// Cannot occur in an XML 1.0 document, so it cannot be part of a namespace name.
constexpr XML_Char kNamespaceSeparator = L'\x01';

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserOwner = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

// The document service refuses a document past its parser's limits, which count UTF-8 bytes: more
// than 257 nested elements, a name or literal of more than 50,000 bytes, an attribute value, text,
// comment or instruction of more than 10,000,000. Here UTF-16 units are counted, at the three bytes
// one may take, so no such document passes; what is refused here but not there still goes to the
// document service.
constexpr int kDeepestElement = 256;
constexpr size_t kLongestName = 50'000 / 3;
constexpr size_t kLongestValue = 10'000'000 / 3;

bool IsLonger(const XML_Char* text, size_t bound) {
    return text && std::wstring_view(text).size() > bound;
}

// The encodings both parsers read alike: the document service refuses some that expat knows.
bool IsEncodingReadAlike(const XML_Char* encoding) {
    return !encoding || EqualsNoCase(encoding, L"UTF-8") || EqualsNoCase(encoding, L"UTF-16");
}

// expat guesses UTF-16 from a leading "<" without byte-order mark; the document service refuses it.
bool IsUtf16WithoutByteOrderMark(const std::vector<char>& bytes) {
    return bytes.size() >= 2 && (bytes[0] == 0 || bytes[1] == 0);
}

// expat takes a high surrogate and whatever unit follows it for a pair, where the document service
// refuses any surrogate without its partner: such a file is left to the document service.
bool HoldsUnpairedSurrogate(const std::vector<char>& bytes) {
    if (bytes.size() < 2) {
        return false;
    }
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const bool littleEndian = byte(0) == 0xFF && byte(1) == 0xFE;
    if (!littleEndian && !(byte(0) == 0xFE && byte(1) == 0xFF)) {
        return false; // UTF-8 and the one-byte encodings hold no surrogates
    }
    bool lowExpected = false;
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const unsigned highByte = byte(littleEndian ? at + 1 : at);
        if (((highByte & 0xFC) == 0xDC) != lowExpected) {
            return true;
        }
        lowExpected = (highByte & 0xFC) == 0xD8;
    }
    return lowExpected;
}

struct Attribute {
    std::wstring_view name; // qualified, as written
    std::wstring_view value;
};

class AttributeViews final : public ElementAttributes {
public:
    explicit AttributeViews(const std::vector<Attribute>& attributes) : m_attributes(attributes) {}
    OptString Get(const wchar_t* name) const override;

private:
    const std::vector<Attribute>& m_attributes;
};

OptString AttributeViews::Get(const wchar_t* name) const {
    for (const Attribute& attribute : m_attributes) {
        if (name && attribute.name == name) {
            return std::wstring(attribute.value);
        }
    }
    return std::nullopt;
}

// One pass of expat over a file's bytes. It checks that the file is well-formed and holds nothing
// expat would read otherwise than the document service (another encoding, declarations, a length past
// the document service's limits), and visits when given visitors. A check stops the parser, which
// makes the pass fail and the caller fall back to the document service.
class ExpatPass {
public:
    ExpatPass(const ElementVisitor* visit, const TextVisitor* visitText);

    // True when the whole file was read; rethrows what a visitor threw.
    bool Run(const std::vector<char>& bytes);
    // The elements and texts visited so far.
    size_t Visited() const { return m_visited; }

private:
    static ExpatPass& From(void* data) { return *static_cast<ExpatPass*>(data); }

    // expat takes any version, the document service only 1.0.
    static void XMLCALL OnXmlDeclaration(void* data, const XML_Char* version, const XML_Char* encoding, int) {
        if (!version || std::wstring_view(version) != L"1.0" || !IsEncodingReadAlike(encoding)) {
            From(data).Refuse();
        }
    }
    // Where an external document type would declare an entity, the document service leaves the
    // reference out of its texts.
    static void XMLCALL OnSkippedEntity(void* data, const XML_Char*, int) { From(data).Refuse(); }
    static int XMLCALL OnExternalEntity(XML_Parser, const XML_Char*, const XML_Char*, const XML_Char*,
                                        const XML_Char*) {
        return XML_STATUS_ERROR;
    }
    static void XMLCALL OnNamespaceDeclaration(void* data, const XML_Char* prefix, const XML_Char* uri);
    static void XMLCALL OnStartElement(void* data, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL OnEndElement(void* data, const XML_Char*);
    static void XMLCALL OnCharacters(void* data, const XML_Char* text, int length);
    static void XMLCALL OnStartCdata(void* data);
    static void XMLCALL OnEndCdata(void* data);
    // A comment or processing instruction ends a text, as it ends a text node.
    static void XMLCALL OnComment(void* data, const XML_Char* text);
    static void XMLCALL OnProcessingInstruction(void* data, const XML_Char* target, const XML_Char* text);
    static void XMLCALL OnDocumentType(void* data, const XML_Char* name, const XML_Char* systemId,
                                       const XML_Char* publicId, int);

    void Refuse();
    void CollectAttributes(const XML_Char** attributes);
    void FlushText();
    // Runs what may throw (a visitor, an allocation): nothing may be thrown through expat, so it
    // stops the parser and is rethrown once expat has returned.
    template <typename Work> void Guarded(Work work);

    ParserOwner m_parser;
    const ElementVisitor* m_visit;  // not owned; null when only checking
    const TextVisitor* m_visitText; // not owned; null when texts are not wanted
    bool m_stopped = false;
    size_t m_visited = 0;
    std::exception_ptr m_thrown;
    int m_depth = -1;    // of the innermost open element
    std::wstring m_text; // gathered only when texts are visited
    size_t m_textLength = 0;
    // The node the text being gathered will be. Like the document service, a text ends where a
    // section begins or ends, but sections that follow each other directly make one node, and an
    // empty section is a node of its own.
    enum class TextKind { None, Text, Section } m_textKind = TextKind::None;
    bool m_inSection = false;
    // The prefixes declared on the open elements and the one about to start, innermost last. The
    // document service answers an attribute name xmlns:prefix with the namespace the prefix stands
    // for there, declared on the element or an ancestor.
    struct PrefixDeclaration {
        int depth;
        std::wstring name; // xmlns:prefix
        std::wstring uri;
    };
    std::vector<PrefixDeclaration> m_prefixes;
    std::vector<std::wstring> m_qualifiedNames;
    std::vector<Attribute> m_attributes;
};

ExpatPass::ExpatPass(const ElementVisitor* visit, const TextVisitor* visitText)
    : m_parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator)), m_visit(visit),
      m_visitText(visit ? visitText : nullptr) {
    XML_Parser parser = m_parser.get();
    if (!parser) {
        return;
    }
    // Bound on every element without being declared.
    m_prefixes.push_back({-1, L"xmlns:xml", L"http://www.w3.org/XML/1998/namespace"});
    XML_SetUserData(parser, this);
    XML_SetReturnNSTriplet(parser, XML_TRUE);
    XML_SetXmlDeclHandler(parser, OnXmlDeclaration);
    XML_SetSkippedEntityHandler(parser, OnSkippedEntity);
    XML_SetExternalEntityRefHandler(parser, OnExternalEntity);
    XML_SetStartDoctypeDeclHandler(parser, OnDocumentType);
    XML_SetStartNamespaceDeclHandler(parser, OnNamespaceDeclaration);
    XML_SetElementHandler(parser, OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(parser, OnCharacters);
    XML_SetCdataSectionHandler(parser, OnStartCdata, OnEndCdata);
    XML_SetCommentHandler(parser, OnComment);
    XML_SetProcessingInstructionHandler(parser, OnProcessingInstruction);
}

bool ExpatPass::Run(const std::vector<char>& bytes) {
    if (!m_parser) {
        return false;
    }
    const bool parsed =
        XML_Parse(m_parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    if (m_thrown) {
        std::rethrow_exception(m_thrown);
    }
    return parsed && !m_stopped;
}

void ExpatPass::Refuse() {
    if (!m_stopped) {
        m_stopped = true;
        XML_StopParser(m_parser.get(), XML_FALSE);
    }
}

template <typename Work> void ExpatPass::Guarded(Work work) {
    if (m_stopped) {
        return;
    }
    try {
        work();
    } catch (...) {
        m_thrown = std::current_exception();
        Refuse();
    }
}

// A default namespace declaration is no attribute to the document service.
void XMLCALL ExpatPass::OnNamespaceDeclaration(void* data, const XML_Char* prefix, const XML_Char* uri) {
    ExpatPass& pass = From(data);
    if (IsLonger(prefix, kLongestName) || IsLonger(uri, kLongestName)) {
        pass.Refuse();
    } else if (prefix && pass.m_visit) {
        pass.Guarded([&] {
            pass.m_prefixes.push_back({pass.m_depth + 1, std::wstring(L"xmlns:") + prefix, uri ? uri : L""});
        });
    }
}

void XMLCALL ExpatPass::OnStartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    ExpatPass& pass = From(data);
    pass.FlushText();
    if (++pass.m_depth > kDeepestElement || IsLonger(name, kLongestName)) {
        pass.Refuse();
    }
    pass.Guarded([&] {
        pass.CollectAttributes(attributes);
        if (!pass.m_visit) {
            return;
        }
        const std::wstring_view qualifiedName(name);
        // A name expat expanded (namespace, separator, local name) belongs to a namespace.
        const std::wstring_view reported = qualifiedName.find(kNamespaceSeparator) == std::wstring_view::npos
                                               ? qualifiedName
                                               : std::wstring_view();
        (*pass.m_visit)(pass.m_depth, reported, AttributeViews(pass.m_attributes));
        ++pass.m_visited;
    });
}

void XMLCALL ExpatPass::OnEndElement(void* data, const XML_Char*) {
    ExpatPass& pass = From(data);
    pass.FlushText();
    while (!pass.m_prefixes.empty() && pass.m_prefixes.back().depth == pass.m_depth) {
        pass.m_prefixes.pop_back();
    }
    --pass.m_depth;
}

void XMLCALL ExpatPass::OnCharacters(void* data, const XML_Char* text, int length) {
    ExpatPass& pass = From(data);
    const TextKind kind = pass.m_inSection ? TextKind::Section : TextKind::Text;
    if (pass.m_textKind != kind) {
        pass.FlushText();
        pass.m_textKind = kind;
    }
    pass.m_textLength += static_cast<size_t>(length);
    if (pass.m_textLength > kLongestValue) {
        pass.Refuse();
    } else if (pass.m_visitText) {
        pass.Guarded([&] { pass.m_text.append(text, static_cast<size_t>(length)); });
    }
}

void XMLCALL ExpatPass::OnStartCdata(void* data) {
    ExpatPass& pass = From(data);
    if (pass.m_textKind != TextKind::Section) {
        pass.FlushText();
        pass.m_textKind = TextKind::Section;
    }
    pass.m_inSection = true;
}

void XMLCALL ExpatPass::OnEndCdata(void* data) {
    From(data).m_inSection = false;
}

void XMLCALL ExpatPass::OnComment(void* data, const XML_Char* text) {
    ExpatPass& pass = From(data);
    pass.FlushText();
    if (IsLonger(text, kLongestValue)) {
        pass.Refuse();
    }
}

void XMLCALL ExpatPass::OnProcessingInstruction(void* data, const XML_Char* target, const XML_Char* text) {
    ExpatPass& pass = From(data);
    pass.FlushText();
    if (IsLonger(target, kLongestName) || IsLonger(text, kLongestValue)) {
        pass.Refuse();
    }
}

// Declarations in the document itself are read by rules of each parser's own: the document service
// leaves entity references out of its texts, where expat expands them, and looks attribute defaults
// up its own way.
void XMLCALL ExpatPass::OnDocumentType(void* data, const XML_Char* name, const XML_Char* systemId,
                                       const XML_Char* publicId, int hasDeclarations) {
    if (hasDeclarations || IsLonger(name, kLongestName) || IsLonger(systemId, kLongestName) ||
        IsLonger(publicId, kLongestName)) {
        From(data).Refuse();
    }
}

// Expat reports a prefixed attribute as namespace, local name and prefix; the callers ask by the
// qualified name as written.
void ExpatPass::CollectAttributes(const XML_Char** attributes) {
    size_t count = 0;
    for (; attributes[2 * count]; ++count) {
        if (IsLonger(attributes[2 * count], kLongestName) ||
            IsLonger(attributes[2 * count + 1], kLongestValue)) {
            Refuse();
        }
    }
    if (!m_visit) {
        return;
    }
    m_qualifiedNames.clear();
    m_qualifiedNames.reserve(count); // the views below stay valid
    m_attributes.clear();
    for (size_t i = 0; i < count; ++i) {
        std::wstring_view name(attributes[2 * i]);
        const size_t localStart = name.find(kNamespaceSeparator);
        if (localStart != std::wstring_view::npos) {
            const std::wstring_view local = name.substr(localStart + 1);
            const size_t prefixStart = local.find(kNamespaceSeparator);
            std::wstring& qualified = m_qualifiedNames.emplace_back(local.substr(prefixStart + 1));
            qualified.append(1, L':').append(local.substr(0, prefixStart));
            name = qualified;
        }
        m_attributes.push_back({name, attributes[2 * i + 1]});
    }
    for (auto prefix = m_prefixes.rbegin(); prefix != m_prefixes.rend(); ++prefix) {
        m_attributes.push_back({prefix->name, prefix->uri});
    }
}

void ExpatPass::FlushText() {
    if (m_textKind != TextKind::None) {
        if (m_visitText) {
            Guarded([&] {
                (*m_visitText)(m_depth, m_text);
                ++m_visited;
            });
        }
        m_text.clear();
        m_textLength = 0;
        m_textKind = TextKind::None;
    }
}

// --- the document service ----------------------------------------------------------------------

// The platform's streaming reader would be faster, but under Wine it overruns a fixed buffer when
// it reports an error naming a long tag, which ends the process: the document service parses
// instead, and the tree is walked here as a stream.
ComPtr<IXMLDOMDocument> LoadKeepingWhiteSpace(const std::vector<char>& bytes) {
    ComPtr<IXMLDOMDocument> document = CreateDocument();
    if (!document || FAILED(document->put_preserveWhiteSpace(VARIANT_TRUE)) ||
        !LoadBytes(document.Get(), bytes)) {
        return nullptr;
    }
    return document;
}

bool InNamespace(IXMLDOMNode* node) {
    Bstr uri;
    return SUCCEEDED(node->get_namespaceURI(uri.Put())) && uri.Get() && SysStringLen(uri.Get()) > 0;
}

class NodeAttributes final : public ElementAttributes {
public:
    explicit NodeAttributes(IXMLDOMNode* element) : m_element(element) {}
    OptString Get(const wchar_t* name) const override { return GetAttribute(m_element, name); }

private:
    IXMLDOMNode* m_element; // not owned
};

void VisitNode(IXMLDOMNode* node, int depth, const ElementVisitor& visit, const TextVisitor& visitText) {
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    if (type == NODE_ELEMENT) {
        const std::wstring name = InNamespace(node) ? std::wstring() : NodeName(node);
        visit(depth, name, NodeAttributes(node));
    } else if (visitText && (type == NODE_TEXT || type == NODE_CDATA_SECTION) && depth > 0) {
        Bstr text;
        node->get_text(text.Put());
        visitText(depth - 1, std::wstring_view(text.Get() ? text.Get() : L"",
                                               text.Get() ? SysStringLen(text.Get()) : 0));
    }
}

// The walk keeps its own stack of nodes still to visit, so a tree however deep cannot exhaust the
// call stack.
bool ReadWithDocumentService(const std::vector<char>& bytes, const ElementVisitor& visit,
                             const TextVisitor& visitText) {
    ComPtr<IXMLDOMDocument> document = LoadKeepingWhiteSpace(bytes);
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

// --- the root's start tag ----------------------------------------------------------------------

// A file's bytes as code units of one byte, or of two in either order, enough to find markup by: its
// delimiters are ASCII, and in the encodings the parsers read, a byte of a multi-byte character is
// never one of the delimiters looked for, except "[" and "]" in a few (Shift_JIS, Big5, GBK).
class CodeUnits {
public:
    explicit CodeUnits(const std::vector<char>& bytes);

    // The units before the first NUL one: no document holds one, so a file that shows one (written in
    // wider units, say) is left to the whole read.
    size_t Size() const { return m_size; }
    unsigned operator[](size_t i) const { return Unit(i); }
    size_t ByteOffset(size_t i) const { return m_start + i * m_width; }
    // The bytes of an ASCII character in these units.
    std::vector<char> Encode(char ascii) const;

private:
    unsigned Byte(size_t offset) const { return static_cast<unsigned char>(m_bytes[offset]); }
    unsigned Unit(size_t i) const;

    const std::vector<char>& m_bytes; // not owned
    size_t m_start = 0;               // past a byte-order mark
    size_t m_width = 1;
    bool m_bigEndian = false;
    size_t m_size = 0;
};

CodeUnits::CodeUnits(const std::vector<char>& bytes) : m_bytes(bytes) {
    const auto startsWith = [&](std::initializer_list<unsigned> mark) {
        size_t i = 0;
        for (unsigned byte : mark) {
            if (i >= bytes.size() || Byte(i++) != byte) {
                return false;
            }
        }
        return true;
    };
    if (startsWith({0xFF, 0xFE}) || startsWith({0xFE, 0xFF})) {
        m_start = 2;
        m_width = 2;
        m_bigEndian = Byte(0) == 0xFE;
    } else if (startsWith({0xEF, 0xBB, 0xBF})) {
        m_start = 3;
    } else if (bytes.size() >= 2 && (Byte(0) == 0 || Byte(1) == 0)) {
        m_width = 2;
        m_bigEndian = Byte(0) == 0;
    }
    const size_t count = (bytes.size() - m_start) / m_width;
    while (m_size < count && Unit(m_size) != 0) {
        ++m_size;
    }
}

unsigned CodeUnits::Unit(size_t i) const {
    const size_t offset = ByteOffset(i);
    if (m_width == 1) {
        return Byte(offset);
    }
    return m_bigEndian ? Byte(offset) << 8 | Byte(offset + 1) : Byte(offset + 1) << 8 | Byte(offset);
}

std::vector<char> CodeUnits::Encode(char ascii) const {
    if (m_width == 1) {
        return {ascii};
    }
    return m_bigEndian ? std::vector<char>{'\0', ascii} : std::vector<char>{ascii, '\0'};
}

bool IsXmlSpace(unsigned unit) {
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n';
}

// Finds the end of the root's start tag by the lexical rules of what may come before it: the
// declaration, instructions, comments, a document type with its internal subset. Only literals,
// comments and instructions can hide a delimiter, so nothing else is told apart. A cut anywhere else
// (in a document that is not well-formed, or misread through a byte of a multi-byte character) leaves
// a root unclosed before it, or none, so that its parsers refuse what is cut.
class RootTagFinder {
public:
    explicit RootTagFinder(const CodeUnits& units) : m_units(units) {}

    // The index just past the start tag's ">"; none when the units hold no complete prolog and start
    // tag, or something no document holds before its root.
    std::optional<size_t> Find();

private:
    bool Ended() const { return m_pos >= m_units.Size(); }
    bool At(std::string_view ascii) const;
    // Moves past the next occurrence of ascii; false when there is none.
    bool SkipPast(std::string_view ascii);
    bool StartsHidden() const;
    // Moves past the end of the literal, comment or instruction that starts here; false when it has none.
    bool SkipHidden();
    // Moves past the first of the ends that nothing hides; answers which one, or 0 when none comes.
    unsigned SkipPastUnhidden(std::string_view ends);

    const CodeUnits& m_units;
    size_t m_pos = 0;
};

std::optional<size_t> RootTagFinder::Find() {
    for (;;) {
        while (!Ended() && IsXmlSpace(m_units[m_pos])) {
            ++m_pos;
        }
        if (!At("<")) {
            return std::nullopt;
        }
        if (At("<!--") || At("<?")) {
            if (!SkipHidden()) {
                return std::nullopt;
            }
        } else if (At("<!")) {
            m_pos += 2;
            // A document type, and the internal subset it may hold between "[" and "]".
            unsigned met = SkipPastUnhidden("[>");
            if (met == '[' && SkipPastUnhidden("]")) {
                met = SkipPastUnhidden(">");
            }
            if (met != '>') {
                return std::nullopt;
            }
        } else {
            ++m_pos;
            return SkipPastUnhidden(">") ? std::optional<size_t>(m_pos) : std::nullopt;
        }
    }
}

bool RootTagFinder::At(std::string_view ascii) const {
    if (m_pos > m_units.Size() || m_units.Size() - m_pos < ascii.size()) {
        return false;
    }
    for (size_t i = 0; i < ascii.size(); ++i) {
        if (m_units[m_pos + i] != static_cast<unsigned char>(ascii[i])) {
            return false;
        }
    }
    return true;
}

bool RootTagFinder::SkipPast(std::string_view ascii) {
    for (; !Ended(); ++m_pos) {
        if (At(ascii)) {
            m_pos += ascii.size();
            return true;
        }
    }
    return false;
}

bool RootTagFinder::StartsHidden() const {
    return At("\"") || At("'") || At("<!--") || At("<?");
}

bool RootTagFinder::SkipHidden() {
    if (At("<!--")) {
        m_pos += 4;
        return SkipPast("-->");
    }
    if (At("<?")) {
        m_pos += 2;
        return SkipPast("?>");
    }
    const std::string_view quote = At("'") ? "'" : "\"";
    ++m_pos;
    return SkipPast(quote);
}

unsigned RootTagFinder::SkipPastUnhidden(std::string_view ends) {
    while (!Ended()) {
        if (StartsHidden()) {
            if (!SkipHidden()) {
                return 0;
            }
            continue;
        }
        const unsigned unit = m_units[m_pos++];
        if (unit < 0x80 && ends.find(static_cast<char>(unit)) != std::string_view::npos) {
            return unit;
        }
    }
    return 0;
}

// The file's bytes up to the end of the root's start tag, with the tag closed there: a document that
// either parser reads as it reads the file's prolog and root, and nothing more.
std::optional<std::vector<char>> HeadClosedAfterRoot(const std::vector<char>& bytes) {
    const CodeUnits units(bytes);
    const std::optional<size_t> end = RootTagFinder(units).Find();
    if (!end) {
        return std::nullopt;
    }
    const size_t closing = *end - 1; // the ">"
    std::vector<char> head(bytes.begin(),
                           bytes.begin() + static_cast<std::ptrdiff_t>(units.ByteOffset(closing)));
    for (const char ascii : std::string_view(units[closing - 1] == '/' ? ">" : "/>")) {
        const std::vector<char> encoded = units.Encode(ascii);
        head.insert(head.end(), encoded.begin(), encoded.end());
    }
    return head;
}

// expat reads what it can read as the document service would, visiting as it goes; anything else
// (another encoding, declarations, an error, a length past expat's bounds here) goes to the document
// service, which decides. Both read alike, so after expat gave up the document service's stream
// goes on where expat's stopped.
bool ReadBytes(const std::vector<char>& bytes, const ElementVisitor& visit, const TextVisitor& visitText) {
    size_t visited = 0;
    if (!IsUtf16WithoutByteOrderMark(bytes) && !HoldsUnpairedSurrogate(bytes)) {
        ExpatPass pass(&visit, visitText ? &visitText : nullptr);
        if (pass.Run(bytes)) {
            return true;
        }
        visited = pass.Visited();
    }
    if (visited == 0) {
        return ReadWithDocumentService(bytes, visit, visitText);
    }
    const ElementVisitor visitRest = [&](int depth, std::wstring_view name,
                                         const ElementAttributes& attributes) {
        if (visited > 0) {
            --visited;
        } else {
            visit(depth, name, attributes);
        }
    };
    const TextVisitor visitRestText = [&](int depth, std::wstring_view text) {
        if (visited > 0) {
            --visited;
        } else {
            visitText(depth, text);
        }
    };
    return ReadWithDocumentService(bytes, visitRest, visitText ? visitRestText : nullptr);
}

// Enough for the declaration, a document type and the root's start tag of any file written by hand.
constexpr size_t kFirstRead = 64 * 1024;

// The file's first bytes, read in growing pieces until the root's start tag has ended, closed there;
// none when it never ends in the file or the file cannot be read.
std::optional<std::vector<char>> ReadHead(const wchar_t* path) {
    const FileHandle file(OpenToRead(path));
    std::vector<char> bytes;
    for (size_t wanted = kFirstRead; file.Valid() && bytes.size() <= INT_MAX;
         wanted = std::min(2 * wanted, static_cast<size_t>(INT_MAX) + 1)) {
        if (!ReadMore(file.Get(), bytes, wanted - bytes.size())) {
            return std::nullopt;
        }
        if (std::optional<std::vector<char>> head = HeadClosedAfterRoot(bytes)) {
            return head;
        }
        if (bytes.size() < wanted) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

bool ReadElements(const wchar_t* path, const ElementVisitor& visit, const TextVisitor& visitText) {
    const std::optional<std::vector<char>> bytes = path ? ReadFileBytes(path) : std::nullopt;
    return bytes && ReadBytes(*bytes, visit, visitText);
}

// A file without a head, or whose head the parsers refuse, is read whole as ReadElements reads it: a
// misread cut then costs time, never the root.
bool ReadRootElement(const wchar_t* path, const RootVisitor& visit) {
    bool visited = false; // by the head's read, which may fail after it
    const ElementVisitor visitRoot = [&](int depth, std::wstring_view name,
                                         const ElementAttributes& attributes) {
        if (depth == 0 && !visited) {
            visit(name, attributes);
            visited = true;
        }
    };
    const std::optional<std::vector<char>> head = path ? ReadHead(path) : std::nullopt;
    return (head && ReadBytes(*head, visitRoot, nullptr)) || ReadElements(path, visitRoot);
}

} // namespace xml
