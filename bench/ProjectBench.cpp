// Benchmark of the translator on a generated project: project_bench.exe [STRINGS] (20,000 by default),
// 200 strings per dialog, half of them translated. Each measure runs through the real main window and
// prints one line, "name: time, ratio x floor", where the floor is the least work of the same kind
// measured in the same run: reading the same files with one parsing pass over them, one pass over the
// rows, writing and flushing the saved file's bytes from one buffer.
#include <windows.h>

#include "CLivePreview.h"
#include "CMainDialog.h"
#include "CheckCommand.h"
#include "COpenDlg.h"
#include "CTEVEngine.h"
#include "CTEVList.h"
#include "DialogDriver.h"
#include "ImportStrings.h"
#include "KernelHandles.h"
#include "LayoutCheck.h"
#include "ProgramStart.h"
#include "ProjectChecks.h"
#include "ProjectModel.h"
#include "TestSupport.h"
#include "TextUtil.h"
#include "TranslationMemory.h"
#include "XmlDom.h"
#include "XmlReader.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kStringsPerDialog = 200;
const int kRuns = 5;
const int kLayoutSample = 10; // dialogs laid out by the clipping check
// Beside the program at start-up, as a product suite's projects would be.
const int kLargeProjects = 4;
const int kLargeProjectStrings = 100000;

int g_strings = 20000;
volatile size_t g_sink = 0; // keeps the floors' passes from being optimised away

int DialogCount() {
    return std::max(1, g_strings / kStringsPerDialog);
}

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

void PrintMeasure(const char* name, double time, double floor) {
    std::printf("%s: %.1f ms, %.1fx floor\n", name, time, floor > 0 ? time / floor : 0.0);
}

std::string StringId(int i) {
    return "s" + std::to_string(i);
}

// Texts repeat so that some are shared; some carry an accelerator or a placeholder, as real ones do.
std::string OriginalText(int i) {
    return std::string(i % 10 == 0 ? "&amp;" : "") + "Text " + std::to_string(i % 5000) + (i % 7 == 0 ? " %d" : "");
}

// Every other string carries an attr.
std::string ProjectText(int strings = g_strings, const std::string& name = "Bench") {
    std::string text = "<tevproject name=\"" + name + "\" dst=\"strings.xml\"><strings>";
    for (int i = 0; i < strings; ++i) {
        text += "<string id=\"" + StringId(i) + (i % 2 ? "\"" : "\" attr=\"label\"") + " text=\"" + OriginalText(i) +
                "\"/>";
    }
    text += "</strings><files>";
    for (int d = 0; d < DialogCount(); ++d) {
        text += "<file name=\"d" + std::to_string(d) + ".xml\"/>";
    }
    return text + "</files></tevproject>";
}

std::string DialogText(int dialog) {
    std::string text = "<dialog caption=\"Dialog " + std::to_string(dialog) + "\"><box orient=\"vertical\">";
    for (int i = dialog * kStringsPerDialog; i < std::min(g_strings, (dialog + 1) * kStringsPerDialog); ++i) {
        text += "<label locid=\"" + StringId(i) + "\" value=\"x\"/>";
    }
    return text + "</box></dialog>";
}

std::string TranslationText() {
    std::string text = "<?xml version=\"1.0\"?><strings>";
    for (int i = 0; i < g_strings; i += 2) {
        text += "<string id=\"" + StringId(i) + "\" attr=\"label\" text=\"" + OriginalText(i) + "\" loc=\"Loc " +
                std::to_string(i) + (i % 7 == 0 ? " %d" : "") + "\"/>";
    }
    return text + "</strings>";
}

// The least a save does: the file's bytes, already in one buffer, written to a new file and flushed.
void WriteAndFlush(const std::wstring& path, const std::string& bytes) {
    const FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(file.Get());
}

// Reading a file and one parsing pass over it, visiting every element and text: what no reader of
// the file can avoid.
void ReadAndParse(const std::wstring& path) {
    size_t events = 0;
    xml::ReadElements(
        path.c_str(), [&](int, std::wstring_view, const xml::ElementAttributes&) { ++events; },
        [&](int, std::wstring_view) { ++events; });
    g_sink = g_sink + events;
}

// Reading a text file and one pass over its characters, counting its lines.
void ReadAndSplitLines(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    g_sink = g_sink + static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// What a keystroke in the search box sends: the box's text changes and the list is refilled.
void Type(CMainDialog& main, const wchar_t* text) {
    TypeInto(main, L"find", text);
}

// Runs step inside the main window once the open dialog is confirmed.
void OpenAndRun(CMainDialog& main, Step step) {
    RunModal(
        "the main window", [&main] { return main.DoModal(nullptr); },
        {[&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); }, std::move(step)});
}

// One pass over the given strings doing the least a filter does: the search in both columns.
double FilterFloor(const ProjectModel& model, const std::vector<size_t>& rows, const wchar_t* search) {
    size_t kept = 0;
    const double time = Median([&] {
        for (size_t index : rows) {
            const StringItem& item = model.Strings()[index];
            kept += FindStringOrdinal(FIND_FROMSTART, item.text.c_str(), -1, search, -1, TRUE) >= 0 ||
                    (item.loc && FindStringOrdinal(FIND_FROMSTART, item.loc->c_str(), -1, search, -1, TRUE) >= 0);
        }
    });
    g_sink = g_sink + kept;
    return time;
}

std::vector<size_t> ShownStrings(CMainDialog& main) {
    std::vector<size_t> shown;
    CTEVList* list = main.StringList();
    for (int row = 0; row < list->GetItemCount(); ++row) {
        shown.push_back(static_cast<size_t>(list->GetItemParam(row)));
    }
    return shown;
}

// A lookup in a memory of another project's translations, as many as the project's strings, and the
// project's own: 200,000 entries at 100,000 strings.
void MeasureSuggestions(const ProjectModel& model) {
    TranslationMemory memory;
    for (int i = 0; i < g_strings; ++i) {
        memory.Add(FormatText(L"Other text %d of kind %d", i, i % 97), FormatText(L"Anderer Text %d", i), L"Other");
    }
    memory.AddProject(model, L"Bench");
    // The project's originals, and one whose words every other entry shares: the most a lookup compares.
    std::vector<std::wstring> queries = {L"Other text of kind 5"};
    for (size_t next = 0; queries.size() < 21; next = (next + 7919) % model.Strings().size()) {
        queries.push_back(model.Strings()[next].text);
    }
    size_t found = 0;
    double slowest = 0;
    std::vector<double> times;
    for (const std::wstring& query : queries) {
        const double start = Now();
        found += memory.Suggest(query).size();
        times.push_back(Now() - start);
        slowest = std::max(slowest, times.back());
    }
    std::sort(times.begin(), times.end());
    std::printf("suggest: %.1f ms (the slowest of %zu lookups in %zu entries, median %.1f ms, %zu suggestions; aim: "
                "under 50 ms)\n",
                slowest, times.size(), memory.Size(), times[times.size() / 2], found);
}

// Each pause in typing lays the string's dialog out again with the typed text and measures its texts.
void MeasureLivePreview(TranslationSession& session) {
    CLivePreview preview(session, L"", nullptr);
    preview.ShowString(0, std::nullopt);
    int typed = 0;
    const double time = Median(
        [&] {
            preview.TextTyped(FormatText(L"Typed text %d", ++typed));
            preview.Flush();
        },
        9);
    std::printf("live preview: %.1f ms (a dialog of %d controls laid out again with one changed text; aim: under "
                "50 ms)\n",
                time, kStringsPerDialog);
}

void MeasureWindow(CMainDialog& main, const std::vector<std::wstring>& files) {
    const ProjectModel& model = main.Session().Model();
    const std::wstring project = model.ProjectPath();
    const std::wstring translation = model.TranslationPath();
    const int language = model.LanguageId();

    const double open = Median([&] { main.LoadChosenProject(project, translation, language); });
    PROCESS_MEMORY_COUNTERS memory = {sizeof(memory)};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    const double openFloor = Median([&] {
        for (const std::wstring& file : files) {
            ReadAndParse(file);
        }
    });
    PrintMeasure("open", open, openFloor);
    const double documentService = Median([&] {
        for (const std::wstring& file : files) {
            xml::LoadFileDocument(file.c_str());
        }
    });
    std::printf("open vs document service: %.1fx its load of the same files\n",
                documentService > 0 ? open / documentService : 0.0);
    std::printf("peak working set: %.0f MB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));

    std::vector<size_t> all(model.Strings().size());
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = i;
    }
    const double keyFull = MedianOfMeasured([&] {
        Type(main, L"");
        const double start = Now();
        Type(main, L"9");
        return Now() - start;
    });
    const std::vector<size_t> narrowed = ShownStrings(main);
    PrintMeasure("keystroke full", keyFull, FilterFloor(model, all, L"9"));
    const double keyNarrowed = MedianOfMeasured([&] {
        Type(main, L"9");
        const double start = Now();
        Type(main, L"99");
        return Now() - start;
    });
    PrintMeasure("keystroke narrowed", keyNarrowed, FilterFloor(model, narrowed, L"99"));
    std::printf("rows: %zu, after \"9\" %zu, after \"99\" %d\n", all.size(), narrowed.size(),
                main.StringList()->GetItemCount());

    const double save = Median([&] {
        main.SetTranslation(1, L"changed");
        main.SaveWithMessage();
    });
    const std::string saved = ReadBytes(translation);
    const std::wstring plainFile = translation + L".plain.xml";
    const double saveFloor = Median([&] { WriteAndFlush(plainFile, saved); });
    PrintMeasure("save", save, saveFloor);
    DeleteFileW(plainFile.c_str());

    ProjectChecks checks;
    const double checked = Median([&] { checks.Reset(model); });
    std::printf("text checks: %.1f ms for %zu strings (aim: under 300 ms at 20,000), %zu problems\n", checked,
                model.Strings().size(), checks.Total().problems);
    MeasureSuggestions(model);

    const size_t sample = std::min<size_t>(kLayoutSample, model.Dialogs().size());
    std::vector<size_t> sampled(sample);
    for (size_t dialog = 0; dialog < sample; ++dialog) {
        sampled[dialog] = dialog;
    }
    size_t clipped = 0;
    // The translations are indexed once for the sample, as for a whole project.
    const double laidOut = Median([&] { clipped = CheckDialogsLayout(model, sampled).size(); }, 1);
    std::printf("clipping check: %.1f ms per dialog of %d strings (%zu dialogs, %zu findings)\n",
                sample ? laidOut / static_cast<double>(sample) : 0.0, kStringsPerDialog, sample, clipped);
    MeasureLivePreview(main.Session());
    size_t found = 0;
    const double checkedAll = Median(
        [&] {
            ProjectChecks every;
            found = RunEveryCheck(model, every).size();
        },
        1);
    std::printf("check all: %.0f ms (every text and layout check of %zu dialogs, as --check runs them, %zu "
                "findings)\n",
                checkedAll, model.Dialogs().size(), found);
    main.Session().DiscardModified();
    EndDialog(main.Window(), IDOK);
}

std::wstring ImportOriginal(int i) {
    return FormatText(L"Import text %d", i);
}

// A project of distinct untranslated strings, and files pairing their texts in reverse order.
void WriteImportFiles(const ProgramFolder& program, const std::wstring& textFile, const std::wstring& xmlFile) {
    std::string project = "<tevproject name=\"Import\" dst=\"strings.xml\"><strings>";
    std::wstring text = L"\xFEFF[Strings]\r\n";
    std::string xmlText = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<translation>\n";
    for (int i = 0; i < g_strings; ++i) {
        const std::string number = std::to_string(i);
        project += "<string id=\"s" + number + "\" text=\"Import text " + number + "\"/>";
        const std::string back = std::to_string(g_strings - 1 - i);
        text += ImportOriginal(g_strings - 1 - i) + L"=Translated " + std::wstring(back.begin(), back.end()) + L"\r\n";
        xmlText += " <string><src>Import text " + back + "</src><dst>Translated " + back + "</dst></string>\n";
    }
    program.AddProject(L"import", project + "</strings><files/></tevproject>");
    WriteUtf8File(textFile, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    WriteUtf8File(xmlFile, xmlText + "</translation>\n");
}

void MeasureImport() {
    const ProgramFolder program;
    const std::wstring textFile = program.File(L"strings.ini");
    const std::wstring xmlFile = program.File(L"tstr.xml");
    WriteImportFiles(program, textFile, xmlFile);
    StockEngine engine;
    TranslationSession session;
    CMainDialog main(&engine, program.Path(), session);
    OpenAndRun(main, [&] {
        const ProjectModel& model = main.Session().Model();
        const std::wstring project = model.ProjectPath();
        const std::wstring translation = model.TranslationPath();
        const int language = model.LanguageId();
        auto importOnce = [&](const std::wstring& file) {
            main.LoadChosenProject(project, translation, language); // every string untranslated again
            const double start = Now();
            // The import ends with its report; it is answered at once, as a user would.
            RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); });
            main.ImportStrings(file.c_str());
            return Now() - start;
        };
        PrintMeasure("import text", MedianOfMeasured([&] { return importOnce(textFile); }),
                     Median([&] { ReadAndSplitLines(textFile); }));
        PrintMeasure("import xml", MedianOfMeasured([&] { return importOnce(xmlFile); }),
                     Median([&] { ReadAndParse(xmlFile); }));
        main.Session().DiscardModified();
        EndDialog(main.Window(), IDOK);
    });
}

// The projects the open dialog lists from a program folder, by name, in the order found.
std::string ListedProjects(const std::wstring& programFolder) {
    StockEngine engine;
    const COpenDlg open(&engine, programFolder);
    std::string names;
    for (const ProjectItem& project : open.Projects()) {
        names += (names.empty() ? "\"" : ", \"") + Narrow(project.name) + "\"";
    }
    return names.empty() ? "no project" : names;
}

// The time from starting the program with the argument until it ends.
double StartedUntilEnded(const std::wstring& program, const wchar_t* argument) {
    return Median(
        [&] {
            STARTUPINFOW startup = {sizeof(startup)};
            PROCESS_INFORMATION process = {};
            std::wstring commandLine = L"\"" + program + L"\" " + argument;
            if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process)) {
                WaitForSingleObject(process.hProcess, 30000);
                CloseHandle(process.hThread);
                CloseHandle(process.hProcess);
            }
        },
        3);
}

// Start-up: the program started as a user starts it until its open dialog is up, when it ends
// itself; against a program of the same libraries that ends at once.
void MeasureStartUp(const std::wstring& program, const char* aim, double floor) {
    const double time = StartedUntilEnded(program, L"--exit-when-ready");
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    std::printf("start-up to the open dialog listing %s: %.1f ms, %.1fx floor (aim: under %s ms)\n",
                ListedProjects(folder).c_str(), time, floor > 0 ? time / floor : 0.0, aim);
}

// The argument that makes the benchmark end as soon as it starts: the floor of start-up.
const wchar_t kEndAtOnce[] = L"--end-at-once";

// The build folder, one above the benchmark's: the program and the demo, with a trailing backslash.
std::wstring BuildFolder() {
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder = module;
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The built program, copied into a program folder as a user would unpack it.
std::wstring ProgramCopyIn(const std::wstring& folder) {
    const std::wstring copy = folder + L"tevtranslator.exe";
    CopyFileW((BuildFolder() + L"tevtranslator.exe").c_str(), copy.c_str(), FALSE);
    return copy;
}

// The process's first shown top-level window, and within a window the first child of a class.
struct WindowSearch {
    DWORD process = 0;
    const wchar_t* className = nullptr;
    HWND found = nullptr;
};

BOOL CALLBACK MatchShownWindow(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search.process && IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK MatchChildClass(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, search.className) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The main window's string list once it shows rows and has painted them, else null.
HWND PaintedStringList(DWORD process) {
    WindowSearch top{process};
    EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&top));
    if (!top.found) {
        return nullptr;
    }
    WindowSearch list{process, WC_LISTVIEWW};
    EnumChildWindows(top.found, MatchChildClass, reinterpret_cast<LPARAM>(&list));
    DWORD_PTR rows = 0;
    if (!list.found || !SendMessageTimeoutW(list.found, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &rows) ||
        rows == 0 || GetUpdateRect(list.found, nullptr, FALSE)) {
        return nullptr;
    }
    return list.found;
}

// From the program's start, as a user starts it, until the main window's list has painted the
// project's first rows; the open dialog is confirmed as soon as it shows.
void MeasureLaunchToList(const ProgramFolder& folder) {
    const std::wstring program = ProgramCopyIn(folder.Path());
    const double time = MedianOfMeasured(
        [&] {
            const double start = Now();
            STARTUPINFOW startup = {sizeof(startup)};
            PROCESS_INFORMATION process = {};
            std::wstring commandLine = L"\"" + program + L"\"";
            if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process)) {
                return 0.0;
            }
            FileHandle processHandle(process.hProcess);
            FileHandle thread(process.hThread);
            double painted = 0.0;
            bool confirmed = false;
            while (painted == 0.0 && Now() - start < 60000 &&
                   WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
                if (!confirmed) {
                    WindowSearch open{process.dwProcessId};
                    EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&open));
                    if (open.found) {
                        PostMessageW(open.found, WM_COMMAND, IDOK, 0);
                        confirmed = true;
                    }
                } else if (PaintedStringList(process.dwProcessId)) {
                    painted = Now() - start;
                }
            }
            TerminateProcess(process.hProcess, 0);
            WaitForSingleObject(process.hProcess, 10000);
            return painted;
        },
        3);
    std::printf("launch to a painted list of %d strings: %.0f ms (aim: under 1,000 ms)\n", g_strings, time);
}

// The program as built, beside the demo; then a copy of it with large projects beside the demo too,
// which the open dialog must list without reading them whole.
void MeasureStartUps() {
    wchar_t benchmark[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, benchmark, MAX_PATH);
    const double floor = StartedUntilEnded(benchmark, kEndAtOnce);
    std::printf("start-up floor: %.1f ms (this benchmark started to end at once)\n", floor);
    const std::wstring buildFolder = BuildFolder();
    MeasureStartUp(buildFolder + L"tevtranslator.exe", "1,000", floor);

    const ProgramFolder beside;
    const std::wstring copy = ProgramCopyIn(beside.Path());
    beside.AddProject(L"demo", ReadBytes(buildFolder + L"projects\\demo\\tevproject.xml"));
    for (int i = 1; i <= kLargeProjects; ++i) {
        beside.AddProject(FormatText(L"large%d", i).c_str(),
                          ProjectText(kLargeProjectStrings, "Large " + std::to_string(i)));
    }
    MeasureStartUp(copy, "300", floor);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == Narrow(kEndAtOnce)) {
        return 0;
    }
    if (argc > 1) {
        g_strings = std::max(kStringsPerDialog, std::atoi(argv[1]));
    }
    ProgramStart start;
    std::printf("project: %d strings over %d dialogs, half translated\n", g_strings, DialogCount());
    {
        // Laid out as a program folder, so that the main window finds the project as a user would.
        ProgramFolder folder;
        std::vector<std::pair<std::wstring, std::string>> dialogs;
        std::vector<std::wstring> files;
        for (int d = 0; d < DialogCount(); ++d) {
            dialogs.push_back({FormatText(L"d%d.xml", d), DialogText(d)});
        }
        const std::wstring projectFolder = folder.AddProject(L"bench", ProjectText(), dialogs);
        files.push_back(projectFolder + L"\\tevproject.xml");
        for (const auto& dialog : dialogs) {
            files.push_back(projectFolder + L"\\" + dialog.first);
        }
        const std::wstring translationFile = folder.LanguageFolder() + L"\\strings.xml";
        WriteUtf8File(translationFile, TranslationText());
        files.push_back(translationFile);

        StockEngine engine;
        TranslationSession session;
        CMainDialog main(&engine, folder.Path(), session);
        OpenAndRun(main, [&] { MeasureWindow(main, files); });
        MeasureLaunchToList(folder);
        MeasureImport();
    }
    MeasureStartUps();
    return 0;
}
