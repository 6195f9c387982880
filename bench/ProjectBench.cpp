// Benchmark of the project model and the main window: loading and saving a project of 20,000 strings
// over 100 dialogs with half of them translated, opening it in the main window, filtering it by
// keystrokes, and the indexed translation lookup against one XPath query per string.
#include <windows.h>

#include "CMainDialog.h"
#include "CTEVEngine.h"
#include "DialogDriver.h"
#include "CTEVList.h"
#include "ImportStrings.h"
#include "ProjectModel.h"
#include "TextUtil.h"
#include "XmlDom.h"
#include "ProgramStart.h"
#include "ProjectChecks.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kStrings = 20000;
const int kDialogs = 100;
const int kRuns = 5;
const int kXPathSample = 200;

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The median of several runs of one action, in milliseconds.
template <typename Action> double Median(Action action, int runs = kRuns) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = Now();
        action();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of several measurements that each action takes and returns itself, in milliseconds.
template <typename Measure> double MedianOfMeasured(Measure measure, int runs = kRuns) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(measure());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string StringId(int i) {
    return "s" + std::to_string(i);
}

// Every other string carries an attr; texts repeat so that some are shared.
std::string ProjectText() {
    std::string text = "<tevproject name=\"Bench\" dst=\"strings.xml\"><strings>";
    for (int i = 0; i < kStrings; ++i) {
        text += "<string id=\"" + StringId(i) + (i % 2 ? "\"" : "\" attr=\"label\"") + " text=\"Text " +
                std::to_string(i % 5000) + "\"/>";
    }
    text += "</strings><files>";
    for (int d = 0; d < kDialogs; ++d) {
        text += "<file name=\"d" + std::to_string(d) + ".xml\"/>";
    }
    return text + "</files></tevproject>";
}

std::string DialogText(int dialog) {
    const int perDialog = kStrings / kDialogs;
    std::string text = "<dialog caption=\"Dialog " + std::to_string(dialog) + "\"><box>";
    for (int i = dialog * perDialog; i < (dialog + 1) * perDialog; ++i) {
        text += "<label locid=\"" + StringId(i) + "\" value=\"x\"/>";
    }
    return text + "</box></dialog>";
}

std::string TranslationText() {
    std::string text = "<?xml version=\"1.0\"?><strings>";
    for (int i = 0; i < kStrings; i += 2) {
        text += "<string id=\"" + StringId(i) + "\" attr=\"label\" text=\"Text\" loc=\"Loc " +
                std::to_string(i) + "\"/>";
    }
    return text + "</strings>";
}

// The equivalent document built as the model builds it, for timing the XML service's save alone.
ComPtr<IXMLDOMDocument> BuildDocument(const ProjectModel& model) {
    ComPtr<IXMLDOMDocument> document = xml::CreateDocument();
    xml::AppendProcessingInstruction(document.Get(), L"xml", L"version=\"1.0\" encoding=\"UTF-16\"");
    ComPtr<IXMLDOMElement> root =
        xml::AppendElement(document.Get(), xml::AsNode(document.Get()).Get(), L"strings");
    for (const StringItem& item : model.strings) {
        if (!item.loc) {
            continue;
        }
        ComPtr<IXMLDOMElement> element = xml::AppendElement(document.Get(), root.Get(), L"string");
        xml::SetAttribute(element.Get(), L"id", item.id.c_str());
        if (item.attr) {
            xml::SetAttribute(element.Get(), L"attr", item.attr->c_str());
        }
        xml::SetAttribute(element.Get(), L"text", item.text.c_str());
        xml::SetAttribute(element.Get(), L"loc", item.loc->c_str());
    }
    return document;
}

// What a keystroke in the search box sends: the box's text changes and the list is refilled.
void Type(CMainDialog& main, const wchar_t* text) {
    TypeInto(main, L"find", text);
}

// Runs step inside the main window once the open dialog is confirmed.
void OpenAndRun(CMainDialog& main, Step step) {
    RunModal("the main window", [&main] { return main.DoModal(nullptr); },
             {[&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); }, std::move(step)});
}

struct WindowFigures {
    double open = 0;
    double keyFromFull = 0;
    double keyFromNarrowed = 0;
    int rowsFull = 0;
    int rowsAfterFirst = 0;
    int rowsAfterSecond = 0;
    double save = 0;
};

void MeasureInsideMainWindow(CMainDialog& main, WindowFigures& figures) {
    ProjectModel& model = main.Model();
    const std::wstring project = model.projectPath;
    const std::wstring translation = model.translationPath;
    const int language = model.languageId;
    figures.open = Median([&] { main.LoadChosenProject(project, translation, language); });
    figures.rowsFull = main.StringList()->GetItemCount();
    figures.keyFromFull = MedianOfMeasured([&] {
        Type(main, L"");
        const double start = Now();
        Type(main, L"9");
        return Now() - start;
    });
    figures.rowsAfterFirst = main.StringList()->GetItemCount();
    figures.keyFromNarrowed = MedianOfMeasured([&] {
        Type(main, L"9");
        const double start = Now();
        Type(main, L"99");
        return Now() - start;
    });
    figures.rowsAfterSecond = main.StringList()->GetItemCount();
    figures.save = Median([&] {
        main.SetTranslation(1, L"changed");
        main.SaveWithMessage();
    });
    EndDialog(main.Window(), IDOK);
}

WindowFigures MeasureMainWindow(const std::wstring& programFolder) {
    WindowFigures figures;
    StockEngine engine;
    CMainDialog main(&engine, programFolder);
    OpenAndRun(main, [&] { MeasureInsideMainWindow(main, figures); });
    return figures;
}

// Returns the extrapolated time of one XPath query per string.
double CompareLookups(const std::wstring& translationFile) {
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(translationFile.c_str());
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"strings");
    // Seconds per run: one run is steady enough.
    const double xpathSample = Median(
        [&] {
            for (int k = 0; k < kXPathSample; ++k) {
                const std::wstring query = FormatText(L"string[@id=\"s%d\"]", k * (kStrings / kXPathSample));
                xml::SelectSingleNode(root.Get(), query.c_str());
            }
        },
        1);
    const double xpathAll = xpathSample * kStrings / kXPathSample;
    int found = 0;
    const double indexed = Median([&] {
        found = 0;
        const TranslationIndex index(root.Get());
        const OptString label(L"label");
        for (int i = 0; i < kStrings; ++i) {
            found += index.Find(FormatText(L"s%d", i), i % 2 ? std::nullopt : label) ? 1 : 0;
        }
    });
    std::printf("XPath lookup, %d queries: %.1f ms, extrapolated to %d: %.0f ms\n", kXPathSample, xpathSample,
                kStrings, xpathAll);
    std::printf("indexed lookup (index of %d entries + %d lookups): %.1f ms; XPath / indexed: %.0fx\n",
                kStrings / 2, kStrings, indexed, xpathAll / indexed);
    std::printf("strings found translated: %d\n", found);
    return xpathAll;
}

// Import of a 20,000-pair file of each VARNO format into a project of 20,000 distinct untranslated
// strings, run through the real main window (model, list rows and Save button), against matching by
// a scan of the whole project per pair.
const int kImportSample = 200;

struct ImportFigures {
    double text = 0;
    double xml = 0;
    double readText = 0;
    double readXml = 0;
    double scanAll = 0;
    double throughSetTranslation = 0;
    size_t translated = 0;
};

std::wstring ImportOriginal(int i) {
    return FormatText(L"Import text %d", i);
}

void WriteImportFiles(const ProgramFolder& program, const std::wstring& textFile,
                      const std::wstring& xmlFile) {
    std::string project = "<tevproject name=\"Import\" dst=\"strings.xml\"><strings>";
    std::wstring text = L"\xFEFF[Strings]\r\n";
    std::string xmlText = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<translation>\n";
    for (int i = 0; i < kStrings; ++i) {
        const std::string number = std::to_string(i);
        project += "<string id=\"s" + number + "\" text=\"Import text " + number + "\"/>";
        // The file pairs the texts in reverse project order.
        const std::string back = std::to_string(kStrings - 1 - i);
        text += ImportOriginal(kStrings - 1 - i) + L"=Translated " + std::wstring(back.begin(), back.end()) +
                L"\r\n";
        xmlText +=
            " <string><src>Import text " + back + "</src><dst>Translated " + back + "</dst></string>\n";
    }
    program.AddProject(L"import", project + "</strings><files/></tevproject>");
    WriteUtf8File(textFile,
                  std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    WriteUtf8File(xmlFile, xmlText + "</translation>\n");
}

void MeasureImportInsideMainWindow(CMainDialog& main, const std::wstring& textFile,
                                   const std::wstring& xmlFile, ImportFigures& figures) {
    ProjectModel& model = main.Model();
    const std::wstring project = model.projectPath;
    const std::wstring translation = model.translationPath;
    const int language = model.languageId;
    auto importOnce = [&](const std::wstring& file) {
        model.Load(project, translation, language); // every string untranslated again
        main.FillStringList();
        const double start = Now();
        // The import ends with its report; it is answered at once, as a user would.
        RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); });
        main.ImportStrings(file.c_str());
        return Now() - start;
    };
    figures.text = MedianOfMeasured([&] { return importOnce(textFile); });
    figures.xml = MedianOfMeasured([&] { return importOnce(xmlFile); });
    // The same matching with each pair's first string set through SetTranslation, which scans the rest
    // of the project for identical strings every time.
    const std::vector<ImportPair> pairs = ReadImportFile(textFile).pairs;
    figures.throughSetTranslation = MedianOfMeasured([&] {
        model.Load(project, translation, language);
        main.FillStringList();
        const double start = Now();
        ApplyImport(model.strings, pairs, [&](size_t index, const std::wstring& text) {
            main.SetTranslation(static_cast<int>(index), text.c_str());
        });
        return Now() - start;
    });
    figures.translated =
        static_cast<size_t>(std::count_if(model.strings.begin(), model.strings.end(),
                                          [](const StringItem& item) { return item.loc.has_value(); }));
    figures.readText = Median([&] { ReadImportFile(textFile); });
    figures.readXml = Median([&] { ReadImportFile(xmlFile); });
    // What each pair would cost if it scanned the project for its original.
    const double sample = Median(
        [&] {
            size_t found = 0;
            for (int k = 0; k < kImportSample; ++k) {
                const std::wstring original = ImportOriginal(k * (kStrings / kImportSample));
                for (const StringItem& item : model.strings) {
                    found += item.text == original ? 1 : 0;
                }
            }
            if (found != kImportSample) {
                std::printf("scan found %zu of %d\n", found, kImportSample);
            }
        },
        1);
    figures.scanAll = sample * kStrings / kImportSample;
    model.MarkSaved();
    EndDialog(main.Window(), IDOK);
}

void MeasureImport() {
    const ProgramFolder program;
    const std::wstring textFile = program.File(L"strings.ini");
    const std::wstring xmlFile = program.File(L"tstr.xml");
    WriteImportFiles(program, textFile, xmlFile);
    ImportFigures figures;
    StockEngine engine;
    CMainDialog main(&engine, program.Path());
    OpenAndRun(main, [&] { MeasureImportInsideMainWindow(main, textFile, xmlFile, figures); });
    std::printf("import of %d pairs into %d strings, main window: text file %.1f ms, XML file %.1f ms "
                "(%zu translated)\n",
                kStrings, kStrings, figures.text, figures.xml, figures.translated);
    std::printf("import, reading the pairs alone: text file %.1f ms, XML file %.1f ms\n", figures.readText,
                figures.readXml);
    std::printf("import matching by a scan of the project per pair would take about %.0f ms more\n",
                figures.scanAll);
    std::printf("import with SetTranslation per pair (text file, pairs read beforehand): %.1f ms\n",
                figures.throughSetTranslation);
}

} // namespace

// The checks the main window keeps current: once over the project at open, against one pass that
// only reads every string's texts.
void MeasureChecks(const ProjectModel& model) {
    ProjectChecks checks;
    const double all = Median([&] { checks.Reset(model); });
    size_t characters = 0;
    const double floor = Median([&] {
        for (const StringItem& item : model.strings) {
            characters += item.text.size() + (item.loc ? item.loc->size() : 0);
        }
    });
    std::printf("checks of %zu strings (text, accelerators, progress): %.1f ms, %.1fx one pass over the texts "
                "(aim: under 300 ms); %zu problems in %zu characters\n",
                model.strings.size(), all, all / floor, checks.Total().problems, characters);
}

int main() {
    ProgramStart start;
    {
        // Laid out as a program folder, so that the main window finds the project as a user would.
        ProgramFolder folder;
        std::vector<std::pair<std::wstring, std::string>> dialogs;
        for (int d = 0; d < kDialogs; ++d) {
            dialogs.push_back({FormatText(L"d%d.xml", d), DialogText(d)});
        }
        const std::wstring projectFile =
            folder.AddProject(L"bench", ProjectText(), dialogs) + L"\\tevproject.xml";
        const std::wstring translationFile = folder.LanguageFolder() + L"\\strings.xml";
        WriteUtf8File(translationFile, TranslationText());

        ProjectModel model;
        const double load = Median([&] { model.Load(projectFile, translationFile, 1049); });
        std::printf("model load: %.1f ms (%zu strings, %zu dialogs)\n", load, model.strings.size(),
                    model.dialogs.size());
        bool saved = true;
        const double save = Median([&] { saved = model.SaveStrings() && saved; });
        ComPtr<IXMLDOMDocument> document;
        const double build = Median([&] { document = BuildDocument(model); });
        const std::wstring plainFile = folder.File(L"plain.xml");
        const double plain = Median([&] { xml::SaveFile(document.Get(), plainFile.c_str()); });
        std::printf("model save: %.1f ms%s\n", save, saved ? "" : " (FAILED)");
        std::printf("XML service alone, same document: build %.1f ms + save %.1f ms = %.1f ms\n", build,
                    plain, build + plain);
        const double xpathAll = CompareLookups(translationFile);
        MeasureChecks(model);

        const WindowFigures window = MeasureMainWindow(folder.Path());
        std::printf("main window, project open (model and list filled): %.1f ms, %d rows\n", window.open,
                    window.rowsFull);
        std::printf("main window, keystroke from the full list: %.1f ms (%d -> %d rows)\n",
                    window.keyFromFull, window.rowsFull, window.rowsAfterFirst);
        std::printf("main window, keystroke from a narrowed list: %.1f ms (%d -> %d rows)\n",
                    window.keyFromNarrowed, window.rowsAfterFirst, window.rowsAfterSecond);
        std::printf("main window, save: %.1f ms (%.1fx the XML service's build and save)\n", window.save,
                    window.save / (build + plain));
        std::printf("open with per-string XPath lookups would take about %.0f ms: %.0fx slower\n",
                    xpathAll + window.open, (xpathAll + window.open) / window.open);

        MeasureImport();
    }
    return 0;
}
