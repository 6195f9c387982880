#include "FuzzTargets.h"

#include "CTEVDialog.h"
#include "CTEVEngine.h"
#include "HtmlFuzzInputs.h"
#include "ImportStrings.h"
#include "PictureDecoder.h"
#include "ProjectFile.h"
#include "ProjectModel.h"
#include "TestSupport.h"

#include <algorithm>
#include <cstring>

namespace {

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes ReadFileBytes(const std::wstring& path) {
    return ToBytes(ReadBytes(path));
}

// UTF-16 files become UTF-8, so that the XML mutations can read their markup.
Bytes AsUtf8Xml(const Bytes& bytes) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) {
        return bytes;
    }
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    std::string utf8 = Narrow(text);
    const std::string declared = "encoding=\"UTF-16\"";
    const size_t at = utf8.find(declared);
    if (at != std::string::npos) {
        utf8.replace(at, declared.size(), "encoding=\"UTF-8\"");
    }
    return ToBytes(utf8);
}

// UTF-16 little-endian with byte-order mark, as the program writes its files.
Bytes Utf16File(const std::wstring& text) {
    Bytes bytes{0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

// Files holding a surrogate without its partner, which both XML readers must refuse alike: document
// makes one around its text, which goes into a text and an attribute value. A high one before an
// ordinary unit, a low one alone, a high one at the end of a text.
std::vector<Bytes> WithUnpairedSurrogates(std::wstring (*document)(const std::wstring& odd)) {
    std::vector<Bytes> files;
    for (const wchar_t* odd : {L"\xD800x", L"\xDC00", L"x\xDBFF"}) {
        files.push_back(Utf16File(document(odd)));
    }
    return files;
}

// Several files in one input: each as its length (4 bytes, little-endian) and its bytes. A saved
// input replays alone; a short or cut bundle gives empty files.
Bytes Pack(const std::vector<Bytes>& parts) {
    Bytes bundle;
    for (const Bytes& part : parts) {
        const size_t at = bundle.size();
        bundle.resize(at + 4);
        PutLe32(bundle, at, static_cast<uint32_t>(part.size()));
        bundle.insert(bundle.end(), part.begin(), part.end());
    }
    return bundle;
}

std::vector<Bytes> Unpack(const Bytes& bundle, size_t count) {
    std::vector<Bytes> parts(count);
    size_t at = 0;
    for (Bytes& part : parts) {
        if (at + 4 > bundle.size()) {
            break;
        }
        const size_t length = std::min<size_t>(bundle[at] | bundle[at + 1] << 8 | bundle[at + 2] << 16 |
                                                   static_cast<size_t>(bundle[at + 3]) << 24,
                                               bundle.size() - at - 4);
        part.assign(bundle.begin() + at + 4, bundle.begin() + at + 4 + length);
        at += 4 + length;
    }
    return parts;
}

// The descriptions every description target starts from: the demo dialogs and one that holds
// each kind of element.
std::vector<Bytes> DescriptionCorpus(const std::wstring& demoFolder) {
    std::vector<Bytes> corpus;
    for (const wchar_t* name :
         {L"about.xml", L"options.xml", L"rename.xml", L"wizard.xml", L"preferences.xml"}) {
        corpus.push_back(ReadFileBytes(demoFolder + L"\\projects\\demo\\" + name));
    }
    corpus.push_back(ToBytes(R"(<dialog caption="All" orient="vertical" minwidth="200">
<tabbox><tabs><tab label="A"/><tab label="B"/></tabs><tabpanels>
<tabpanel orient="vertical"><combobox id="c"><menupopup><menuitem label="one"/><menuitem label="two"/></menupopup></combobox>
<list id="l" hFlex="1"><listcol caption="Name" flex="1"/><listcol caption="Size" width="40"/><listitem label="x"/></list>
<listbox><listitem label="a"/><listitem label="b"/></listbox><checkslist><checkitem label="c"/></checkslist></tabpanel>
<tabpanel><slider min="0" max="10"/><spin min="1" max="5"/><progress value="3"/><hotkey/><color/>
<picture pic="images\logo.png" picWidth="32" picHeight="32"/><freedraw width="20" height="20"/><line/>
<url text="site" href="http://example.invalid"/><selectfile/><textbox multiline="true" value="t"/></tabpanel>
</tabpanels></tabbox>
<tabswitcher><tab label="P"/></tabswitcher>
<radiogroup><radio label="r1"/><radio label="r2"/></radiogroup>
<groupbox label="g"><disabler><checkbox label="on"/></disabler></groupbox>
<box orient="horizontal"><spacer hFlex="1"/><button label="OK" dlgType="accept"/></box>
<menubar><menu label="File"><menupopup><menuitem label="Open"/><menuseparator/></menupopup></menu></menubar>
</dialog>)"));
    // Ranges that overflowed, divided by zero or asked for a tick per value of millions.
    corpus.push_back(ToBytes(R"(<dialog><slider autoTics="true" minValue="-2147483647" maxValue="25"/>
<slider minValue="10" maxValue="0" invert="true" pos="3"/><slider autoTics="true" maxValue="50000000"/></dialog>)"));
    // Page containers repeated past what a dialog makes at open: their pages wait until shown.
    const std::string preferences(corpus[4].begin(), corpus[4].end());
    const size_t tabBox = preferences.find("<tabbox");
    const size_t tabBoxEnd = preferences.find("</tabbox>");
    std::string boxes, tabs;
    for (int i = 0; i < 30 && tabBoxEnd != std::string::npos; ++i) {
        boxes += preferences.substr(tabBox, tabBoxEnd + 9 - tabBox);
    }
    for (int i = 0; i < 200; ++i) {
        tabs += "<tab label=\"P" + std::to_string(i) + "\"><label value=\"x\"/><checkbox label=\"c\"/></tab>";
    }
    corpus.push_back(ToBytes("<dialog orient=\"vertical\">" + boxes + "</dialog>"));
    corpus.push_back(ToBytes("<dialog><tabswitcher>" + tabs + "</tabswitcher></dialog>"));
    return corpus;
}

// Parses a description, builds its element tree and lays it out, without any window.
class DescriptionTarget : public FuzzTarget {
public:
    explicit DescriptionTarget(std::wstring demoFolder) : m_demoFolder(std::move(demoFolder)) {}
    const char* Name() const override { return "description"; }
    const char* Extension() const override { return "xml"; }
    std::vector<Bytes> Corpus() const override { return DescriptionCorpus(m_demoFolder); }
    void Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>& corpus) const override {
        mutator.MutateXmlOrBytes(input, corpus[mutator.Below(static_cast<unsigned>(corpus.size()))]);
    }
    void Run(const Bytes& input) override {
        const std::wstring path = m_folder.File(L"description.xml");
        WriteBytesFile(path, input);
        CTEVDialog tree(nullptr, &m_engine, nullptr);
        if (tree.LoadDocument(path.c_str(), L"dialog", m_engine.Instance())) {
            SIZE size{};
            tree.GetMinSize(&size);
            tree.Arrange(0, 0, size.cx, size.cy);
            tree.Arrange(0, 0, size.cx + 200, size.cy + 100);
        }
    }

protected:
    std::wstring m_demoFolder;
    TempDir m_folder;
    CTEVEngine m_engine{GetModuleHandleW(nullptr)};
};

// The dialog that runs now; the timer ends it once its modal loop runs.
CTEVDialog* g_runningDialog = nullptr;

BOOL CALLBACK EndOtherDialogBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 && window != g_runningDialog->Window()) {
        EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

// Ends every dialog box of this thread (the fuzzed one and any message box over it) once the
// fuzzed one has its window.
void CALLBACK EndRunningDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_runningDialog || !g_runningDialog->Window()) {
        return;
    }
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), EndOtherDialogBox, 0);
    EndDialog(g_runningDialog->Window(), IDCANCEL);
}

// Opens a description as a real modal dialog, ended from inside its loop right after it opened.
class DialogTarget : public DescriptionTarget {
public:
    using DescriptionTarget::DescriptionTarget;
    const char* Name() const override { return "dialog"; }
    // Every element may make a native window, and under Wine each costs one to two milliseconds
    // to create, show and destroy: the bound grows with the elements the input can hold, up to
    // the most a description may have.
    unsigned TimeAllowanceMs(const Bytes& input) const override {
        const auto tags = std::count(input.begin(), input.end(), '<');
        return 2 * static_cast<unsigned>(std::min<decltype(tags)>(tags, CTEVElement::kMaxElements));
    }
    void Run(const Bytes& input) override {
        const std::wstring path = m_folder.File(L"dialog.xml");
        WriteBytesFile(path, input);
        CTEVDialog dialog(path.c_str(), &m_engine, nullptr);
        g_runningDialog = &dialog;
        const UINT_PTR timer = SetTimer(nullptr, 0, 0, EndRunningDialog);
        dialog.DoModal(nullptr);
        KillTimer(nullptr, timer);
        g_runningDialog = nullptr;
    }
};

// A project with one of its descriptions and its translation file, listed as the open dialog lists it
// and loaded as the main window loads it.
class ProjectTarget : public FuzzTarget {
public:
    explicit ProjectTarget(std::wstring demoFolder)
        : m_demoFolder(std::move(demoFolder)), m_projectFolder(m_program.AddProject(L"demo", "") + L"\\") {
        for (const wchar_t* name : {L"about.xml", L"rename.xml", L"wizard.xml", L"preferences.xml"}) {
            WriteBytesFile(ProjectFolder() + name,
                           ReadFileBytes(m_demoFolder + L"\\projects\\demo\\" + name));
        }
    }
    const char* Name() const override { return "project"; }
    const char* Extension() const override { return "bundle"; }
    // Project file, translation file and the description "options.xml" in one bundle.
    std::vector<Bytes> Corpus() const override {
        const std::wstring demo = m_demoFolder + L"\\projects\\demo\\";
        std::vector<Bytes> corpus = {
            Pack({ReadFileBytes(demo + L"tevproject.xml"),
                  AsUtf8Xml(ReadFileBytes(m_demoFolder + L"\\1031\\demo\\strings.xml")),
                  ReadFileBytes(demo + L"options.xml")})};
        const auto strings = [](const std::wstring& odd) {
            return L"<strings><string id=\"a\" attr=\"label\" text=\"A\" loc=\"" + odd +
                   L"\"/><string id=\"b\" attr=\"label\" text=\"B\">" + odd + L"</string></strings>";
        };
        for (const Bytes& translation : WithUnpairedSurrogates(strings)) {
            corpus.push_back(Pack({ReadFileBytes(demo + L"tevproject.xml"), translation,
                                   ReadFileBytes(demo + L"options.xml")}));
        }
        return corpus;
    }
    void Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>& corpus) const override {
        std::vector<Bytes> parts = Unpack(input, 3);
        if (mutator.Below(4) == 0) {
            ListDescriptionOften(mutator, parts[0]);
        }
        const unsigned which = mutator.Below(4);
        for (size_t k = 0; k < parts.size(); ++k) {
            if (which == k || which == 3) {
                mutator.MutateXmlOrBytes(parts[k], parts[(k + 1) % parts.size()]);
            }
        }
        input = Pack(parts);
    }
    void Run(const Bytes& input) override {
        const std::vector<Bytes> parts = Unpack(input, 3);
        const std::wstring project = ProjectFolder() + L"tevproject.xml";
        const std::wstring translation = m_program.LanguageFolder(1031) + L"\\strings.xml";
        WriteBytesFile(project, parts[0]);
        WriteBytesFile(translation, parts[1]);
        WriteBytesFile(ProjectFolder() + L"options.xml", parts[2]);
        ReadProjectHead(project);
        ProjectModel model;
        model.Load(project, translation, 1031);
    }

private:
    const std::wstring& ProjectFolder() const { return m_projectFolder; }

    // The mutated description listed again and again, as a careless project might.
    static void ListDescriptionOften(Mutator& mutator, Bytes& project) {
        const std::string entry = "<file name=\"options.xml\"/>";
        const auto at = std::search(project.begin(), project.end(), entry.begin(), entry.end());
        if (at == project.end()) {
            return;
        }
        std::string copies;
        for (unsigned n = mutator.Factor(3, 300); n > 0; --n) {
            copies += entry;
        }
        project.insert(at, copies.begin(), copies.end());
    }

    std::wstring m_demoFolder;
    ProgramFolder m_program;
    std::wstring m_projectFolder; // with a trailing backslash
};

// One of the two formats of the older tool's string files, read as an import reads them.
class ImportTarget : public FuzzTarget {
public:
    explicit ImportTarget(bool xml) : m_xml(xml) {}
    const char* Name() const override { return m_xml ? "import-xml" : "import-text"; }
    const char* Extension() const override { return m_xml ? "xml" : "txt"; }
    std::vector<Bytes> Corpus() const override {
        if (m_xml) {
            std::vector<Bytes> corpus = {
                ToBytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<translation>\n"
                        "  <item><src>OK</src><dst>Gut</dst></item>\n"
                        "  <item><src>&amp;Cancel</src><dst>&amp;Abbrechen</dst></item>\n"
                        "  <t><src>Line\none</src><dst><![CDATA[<b>Zeile</b>]]></dst></t>\n</translation>\n"),
                ToBytes("<translation><p><src>a</src><dst/></p></translation>")};
            const auto translation = [](const std::wstring& odd) {
                return L"<translation><item note=\"" + odd + L"\"><src>A" + odd +
                       L"</src><dst>B</dst></item></translation>";
            };
            for (Bytes& file : WithUnpairedSurrogates(translation)) {
                corpus.push_back(std::move(file));
            }
            return corpus;
        }
        const std::wstring lines =
            L"OK=Gut\r\nCancel=Abbrechen\r\nnot a pair\r\n&Open=\x00d6&ffnen\r\na=b=c\n";
        const Bytes utf16 = Utf16File(lines);
        return {utf16, ToBytes(Narrow(lines)), Bytes(utf16.begin() + 2, utf16.end())};
    }
    void Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>& corpus) const override {
        const Bytes& other = corpus[mutator.Below(static_cast<unsigned>(corpus.size()))];
        if (mutator.Below(8) == 0) {
            mutator.RepeatTail(input);
        }
        if (m_xml) {
            mutator.MutateXmlOrBytes(input, other);
        } else {
            mutator.MutateBytes(input, other);
        }
    }
    void Run(const Bytes& input) override {
        const std::wstring path = m_folder.File(m_xml ? L"import.xml" : L"import.txt");
        WriteBytesFile(path, input);
        ReadImportFile(path);
    }

private:
    bool m_xml;
    TempDir m_folder;
};

Bytes Gradient(int width, int height, int components) {
    Bytes samples(static_cast<size_t>(width) * height * components);
    for (size_t k = 0; k < samples.size(); ++k) {
        samples[k] = static_cast<uint8_t>(k * 7 + k / 5);
    }
    return samples;
}

enum class PictureKind { Bmp, Gif, Ico, Png, Jpeg };

void PutDimensions(Bytes& data, size_t at, uint32_t width, uint32_t height, int bytes, bool bigEndian) {
    if (at + 2 * bytes > data.size()) {
        return;
    }
    auto put = [&](size_t where, uint32_t value) {
        if (bytes == 2) {
            bigEndian ? PutBe16(data, where, value & 0xFFFF) : PutLe16(data, where, value & 0xFFFF);
        } else {
            bigEndian ? PutBe32(data, where, value) : PutLe32(data, where, value);
        }
    };
    put(at, width);
    put(at + bytes, height);
}

// CRCs recomputed, so that mutated PNG chunks reach the decoder's checks behind them.
void FixPngCrcs(Bytes& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const size_t length =
            static_cast<size_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (length > png.size() - at - 12) {
            return;
        }
        FixPngCrc(png, at + 8);
        at += 12 + length;
    }
}

// One format's pictures: generated with the real encoders, mutated in bytes and in their headers.
class PictureTarget : public FuzzTarget {
public:
    PictureTarget(PictureKind format, const char* name) : m_format(format), m_name(name) {}
    const char* Name() const override { return m_name; }
    const char* Extension() const override { return m_name; }
    std::vector<Bytes> Corpus() const override {
        switch (m_format) {
        case PictureKind::Bmp:
            return BmpCorpus();
        case PictureKind::Gif:
            return GifCorpus();
        case PictureKind::Ico:
            return IcoCorpus();
        case PictureKind::Png:
            return PngCorpus();
        default:
            return JpegCorpus();
        }
    }
    void Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>& corpus) const override {
        const unsigned choice = mutator.Below(3);
        if (choice != 0) {
            mutator.MutateBytes(input, corpus[mutator.Below(static_cast<unsigned>(corpus.size()))]);
        }
        if (choice != 1) {
            MutateHeader(mutator, input);
        }
        if (m_format == PictureKind::Png && mutator.Below(4) != 0) {
            FixPngCrcs(input);
        }
    }
    void Run(const Bytes& input) override { DecodePicture(input.data(), input.size()); }

private:
    static std::vector<Bytes> BmpCorpus() {
        BmpLayout rgb;
        rgb.width = 9;
        rgb.height = 7;
        rgb.bits = PackBitmapRows(9, 7, 24, [](int x, int y) { return uint32_t(x * 0x102030 + y * 77); });
        BmpLayout palette = rgb;
        palette.bitCount = 8;
        palette.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
        palette.height = -7;
        palette.bits = PackBitmapRows(9, 7, 8, [](int x, int y) { return uint32_t((x + y) % 4); });
        BmpLayout nibbles = palette;
        nibbles.bitCount = 4;
        nibbles.headerSize = 124;
        nibbles.bits = PackBitmapRows(9, 7, 4, [](int x, int y) { return uint32_t((x * y) % 4); });
        BmpLayout masks = rgb;
        masks.bitCount = 32;
        masks.compression = 3; // bit fields
        masks.masks = {0xFF0000, 0xFF00, 0xFF};
        masks.bits = PackBitmapRows(9, 7, 32, [](int x, int y) { return uint32_t(x << 16 | y << 4); });
        BmpLayout runs = palette;
        runs.height = 4;
        runs.compression = 1; // RLE8: runs, an absolute run, line ends, a delta, the end
        runs.bits = {4, 1, 5, 2, 0, 0, 0, 3, 1, 2, 3, 0, 9, 3, 0, 0, 0, 2, 1, 1, 2, 1, 0, 1};
        BmpLayout twoBits = palette;
        twoBits.bitCount = 2;
        twoBits.bits = PackBitmapRows(9, 7, 2, [](int x, int y) { return uint32_t((x + 2 * y) % 4); });
        BmpLayout embedded = rgb; // a PNG file as the colour data
        embedded.headerSize = 124;
        embedded.bitCount = 0;
        embedded.compression = 5;
        PngSpec png;
        png.width = 9;
        png.height = 7;
        png.rows = Gradient(9, 7, 3);
        embedded.bits = EncodePng(png);
        return {EncodeBmp(rgb),  EncodeBmp(palette), EncodeBmp(nibbles), EncodeBmp(masks),
                EncodeBmp(runs), EncodeBmp(twoBits), EncodeBmp(embedded)};
    }
    static std::vector<Bytes> GifCorpus() {
        GifSpec gif;
        gif.screenWidth = gif.width = 12;
        gif.screenHeight = gif.height = 10;
        gif.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
        gif.palette.resize(12);
        gif.indices.resize(120);
        for (size_t k = 0; k < gif.indices.size(); ++k) {
            gif.indices[k] = static_cast<uint8_t>(k % 4);
        }
        GifSpec framed = gif;
        framed.screenWidth = 20;
        framed.left = 3;
        framed.localColourMap = true;
        framed.interlaced = true;
        framed.transparentIndex = 2;
        return {EncodeGif(gif), EncodeGif(framed)};
    }
    static std::vector<Bytes> PngCorpus() {
        PngSpec rgb;
        rgb.width = 10;
        rgb.height = 6;
        rgb.rows = Gradient(10, 6, 3);
        PngSpec palette;
        palette.width = 8;
        palette.height = 8;
        palette.colorType = 3;
        palette.palette = {0, 0, 0, 255, 255, 255, 255, 0, 0};
        palette.alphas = {0, 128, 255};
        palette.rows.assign(64, 1);
        PngSpec greyAlpha;
        greyAlpha.width = 9;
        greyAlpha.height = 9;
        greyAlpha.colorType = 4;
        greyAlpha.interlaced = true;
        greyAlpha.rows = Gradient(9, 9, 2);
        return {EncodePng(rgb), EncodePng(palette), EncodePng(greyAlpha)};
    }
    static std::vector<Bytes> JpegCorpus() {
        JpegSpec colour;
        colour.width = 16;
        colour.height = 12;
        colour.samples = Gradient(16, 12, 3);
        JpegSpec progressive = colour;
        progressive.progressive = true;
        JpegSpec grey;
        grey.width = 9;
        grey.height = 9;
        grey.components = 1;
        grey.samples = Gradient(9, 9, 1);
        return {EncodeJpeg(colour), EncodeJpeg(progressive), EncodeJpeg(grey)};
    }
    static std::vector<Bytes> IcoCorpus() {
        BmpLayout dib;
        dib.width = 16;
        dib.height = 32; // the colour rows, then the mask rows
        dib.bitCount = 32;
        dib.bits =
            PackBitmapRows(16, 16, 32, [](int x, int y) { return uint32_t(0xFF000000 | x << 12 | y << 3); });
        dib.bits.resize(dib.bits.size() + 16 * 4, 0);
        PngSpec png;
        png.width = 24;
        png.height = 24;
        png.colorType = 6;
        png.rows = Gradient(24, 24, 4);
        // The header mutations change the first image: one icon starts with each kind.
        return {EncodeIco({{EncodeDib(dib), 16, 16, 32}, {EncodePng(png), 24, 24, 32}}),
                EncodeIco({{EncodePng(png), 24, 24, 32}, {EncodeDib(dib), 16, 16, 32}})};
    }

    uint32_t Dimension(Mutator& mutator) const {
        // Sizes the decoding limits allow but the data cannot fill, and sizes past every limit.
        static const uint32_t kWild[] = {6000,  7000,       8000,       8192,       0x7FFF, 0xFFFF,
                                         40000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0};
        return mutator.Gentle() || mutator.Below(4) == 0 ? 1 + mutator.Below(300)
                                                         : kWild[mutator.Below(std::size(kWild))];
    }

    void MutateHeader(Mutator& mutator, Bytes& data) const {
        const uint32_t width = Dimension(mutator), height = Dimension(mutator);
        switch (m_format) {
        case PictureKind::Bmp:
            PutDimensions(data, 18, width, height, 4, false);
            break;
        case PictureKind::Gif: {
            PutDimensions(data, 6, width, height, 2, false);
            const auto descriptor =
                std::find(data.begin() + std::min<size_t>(data.size(), 13), data.end(), 0x2C);
            PutDimensions(data, descriptor - data.begin() + 5, width, height, 2, false);
            break;
        }
        case PictureKind::Png:
            PutDimensions(data, 16, width, height, 4, true);
            FixPngCrcs(data);
            break;
        case PictureKind::Jpeg:
            MutateJpeg(mutator, data, width, height);
            break;
        case PictureKind::Ico:
            MutateIcon(mutator, data, width, height);
            break;
        }
    }

    // Huge frame dimensions, or the last scan repeated, as a stream that never ends would.
    static void MutateJpeg(Mutator& mutator, Bytes& data, uint32_t width, uint32_t height) {
        if (mutator.Below(2)) {
            size_t frame = FindJpegMarker(data, 0xC0);
            if (frame == std::string::npos) {
                frame = FindJpegMarker(data, 0xC2);
            }
            if (frame != std::string::npos) {
                PutDimensions(data, frame + 5, height, width, 2, true);
            }
            return;
        }
        size_t lastScan = std::string::npos;
        for (size_t at = 0; at + 1 < data.size(); ++at) {
            if (data[at] == 0xFF && data[at + 1] == 0xDA) {
                lastScan = at;
            }
        }
        if (lastScan == std::string::npos || data.size() < lastScan + 2) {
            return;
        }
        const Bytes scan(data.begin() + lastScan, data.end() - 2); // without the end marker
        for (unsigned n = mutator.Factor(3, 2000); n > 0 && data.size() + scan.size() <= kMaxInputBytes;
             --n) {
            data.insert(data.begin() + lastScan, scan.begin(), scan.end());
        }
    }

    // Many directory entries pointing at one image, and that image's own header lying about its size.
    static void MutateIcon(Mutator& mutator, Bytes& data, uint32_t width, uint32_t height) {
        if (data.size() < 22) {
            return;
        }
        const size_t imageAt =
            data[18] | data[19] << 8 | data[20] << 16 | static_cast<size_t>(data[21]) << 24;
        if (imageAt + 24 <= data.size()) {
            const bool png = data[imageAt] == 0x89;
            PutDimensions(data, imageAt + (png ? 16 : 4), width, height, 4, png);
            if (png) {
                Bytes image(data.begin() + imageAt, data.end());
                FixPngCrcs(image);
                std::copy(image.begin(), image.end(), data.begin() + imageAt);
            }
        }
        if (mutator.Below(2)) {
            const unsigned entries = std::min(mutator.Factor(4, 20000), 65535u);
            const Bytes entry(data.begin() + 6, data.begin() + 22);
            const Bytes image(data.begin() + std::min(imageAt, data.size()), data.end());
            Bytes icon(data.begin(), data.begin() + 6);
            PutLe16(icon, 4, entries);
            for (unsigned k = 0; k < entries; ++k) {
                icon.insert(icon.end(), entry.begin(), entry.end());
                PutLe32(icon, icon.size() - 4, 6 + 16 * entries);
            }
            icon.insert(icon.end(), image.begin(), image.end());
            data = std::move(icon);
        }
    }

    PictureKind m_format;
    const char* m_name;
};

// The help popup's HTML subset: generated and mutated markup, laid out and painted off screen.
// Inputs are UTF-16; plain text is saved without a byte-order mark, markup with one.
class HtmlTarget : public FuzzTarget {
public:
    const char* Name() const override { return "html"; }
    const char* Extension() const override { return "html"; }
    std::vector<Bytes> Corpus() const override { return {Bytes{}}; }
    void Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>&) const override {
        HtmlFuzzInputs inputs(mutator.Below(0xFFFFFFFF));
        std::wstring text;
        // The generator mutates inputs it made before.
        for (unsigned n = 1 + mutator.Below(4); n > 0; --n) {
            text = inputs.Next();
        }
        input.clear();
        if (!inputs.NextIsPlainText()) {
            text.insert(text.begin(), 0xFEFF);
        }
        for (wchar_t c : text) {
            input.push_back(static_cast<uint8_t>(c));
            input.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    void Run(const Bytes& input) override {
        std::wstring text(input.size() / 2, L'\0');
        memcpy(text.data(), input.data(), text.size() * sizeof(wchar_t));
        const bool plain = text.empty() || text[0] != 0xFEFF;
        if (!plain) {
            text.erase(0, 1);
        }
        if (!m_canvas) {
            m_canvas = std::make_unique<HtmlFuzzCanvas>();
        }
        m_canvas->Run(text, plain);
    }

private:
    std::unique_ptr<HtmlFuzzCanvas> m_canvas; // made at the first run: it holds device contexts
};

} // namespace

unsigned FuzzTarget::TimeAllowanceMs(const Bytes&) const {
    return 0;
}

void FuzzTarget::Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>& corpus) const {
    mutator.MutateBytes(input, corpus[mutator.Below(static_cast<unsigned>(corpus.size()))]);
}

std::vector<std::unique_ptr<FuzzTarget>> MakeTargets(const std::wstring& demoFolder) {
    std::vector<std::unique_ptr<FuzzTarget>> targets;
    targets.push_back(std::make_unique<DescriptionTarget>(demoFolder));
    targets.push_back(std::make_unique<ProjectTarget>(demoFolder));
    targets.push_back(std::make_unique<ImportTarget>(false));
    targets.push_back(std::make_unique<ImportTarget>(true));
    targets.push_back(std::make_unique<PictureTarget>(PictureKind::Bmp, "bmp"));
    targets.push_back(std::make_unique<PictureTarget>(PictureKind::Gif, "gif"));
    targets.push_back(std::make_unique<PictureTarget>(PictureKind::Ico, "ico"));
    targets.push_back(std::make_unique<PictureTarget>(PictureKind::Png, "png"));
    targets.push_back(std::make_unique<PictureTarget>(PictureKind::Jpeg, "jpeg"));
    targets.push_back(std::make_unique<HtmlTarget>());
    targets.push_back(std::make_unique<DialogTarget>(demoFolder));
    return targets;
}

Bytes GenerateInput(const FuzzTarget& target, const std::vector<Bytes>& corpus, uint32_t seed, uint32_t index,
                    bool gentle) {
    uint32_t name = 2166136261u; // FNV-1a of the target's name
    for (const char* c = target.Name(); *c; ++c) {
        name = (name ^ static_cast<uint8_t>(*c)) * 16777619u;
    }
    std::seed_seq mixed{seed, name, index};
    std::mt19937 start(mixed);
    Mutator mutator(start(), gentle);
    Bytes input = corpus[mutator.Below(static_cast<unsigned>(corpus.size()))];
    target.Mutate(mutator, input, corpus);
    return input;
}
