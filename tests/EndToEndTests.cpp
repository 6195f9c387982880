// The built program run as a user runs it: copied into a program folder with a project beside
// it, started as its own process, driven through its windows, and judged by what it wrote.
#include "CTEVEngine.h"
#include "TestSupport.h"
#include "TranslationSession.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Owns a started process and makes sure it is gone when the test ends.
class ProgramProcess {
public:
    // output: an inheritable handle for standard output and error, or null for none.
    ProgramProcess(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments = L"",
                   HANDLE output = nullptr) {
        STARTUPINFOW startup = {sizeof(startup)};
        if (output) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = output;
        }
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        m_started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, output != nullptr, 0,
                                   nullptr, folder.c_str(), &startup, &m_info) != FALSE;
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;
    ~ProgramProcess() {
        if (m_started) {
            if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_info.hProcess, 99);
            }
            CloseHandle(m_info.hThread);
            CloseHandle(m_info.hProcess);
        }
    }

    bool Started() const { return m_started; }
    DWORD Id() const { return m_info.dwProcessId; }

    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD WaitForExit(DWORD milliseconds) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(m_info.hProcess, milliseconds) == WAIT_OBJECT_0) {
            GetExitCodeProcess(m_info.hProcess, &code);
        }
        return code;
    }

private:
    PROCESS_INFORMATION m_info = {};
    bool m_started = false;
};

struct WindowSearch {
    DWORD process;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t title[128] = L"";
    GetWindowTextW(window, title, 128);
    // The main window's title starts with the project and language and ends with the program's name.
    const size_t length = wcslen(title);
    const size_t wanted = wcslen(search->title);
    if (process == search->process && IsWindowVisible(window) && length >= wanted &&
        wcscmp(title + length - wanted, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Waits up to ten seconds for a visible top-level window of the process whose title ends so.
HWND WaitForWindow(const ProgramProcess& program, const wchar_t* title) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        WindowSearch search = {program.Id(), title, nullptr};
        EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            return search.found;
        }
        Sleep(50);
    }
    return nullptr;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
    return FindWindowExW(parent, nullptr, className, nullptr);
}

// Clicks a button of another process's window by its caption, as the mouse would.
void ClickButton(HWND dialog, const wchar_t* caption) {
    HWND button = FindWindowExW(dialog, nullptr, L"Button", caption);
    ASSERT_NE(nullptr, button) << Narrow(caption);
    SendMessageW(button, BM_CLICK, 0, 0);
}

// The visible dialog of the process owned by owner (a nested dialog or a message box).
HWND WaitForOwnedDialog(HWND owner) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
             window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
            if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == owner) {
                return window;
            }
        }
        Sleep(50);
    }
    return nullptr;
}

// The translate dialog's editable box: the text box that is not read-only.
HWND TranslationBox(HWND dialog) {
    for (HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr); edit;
         edit = FindWindowExW(dialog, edit, L"Edit", nullptr)) {
        if (!(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) {
            return edit;
        }
    }
    return nullptr;
}

// A list cell read as a screen reader or any other process reads it: the item description and
// its text buffer are placed in the list's own process, which fills them.
std::wstring CellOfOtherProcess(HWND list, DWORD process, int row, int column) {
    constexpr int kChars = 256;
    const std::unique_ptr<void, decltype(&CloseHandle)> target(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process), &CloseHandle);
    if (!target) {
        return L"<no access>";
    }
    auto* remote =
        static_cast<char*>(VirtualAllocEx(target.get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) {
        return L"<no memory>";
    }
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    wchar_t text[kChars + 1] = L"";
    if (WriteProcessMemory(target.get(), remote, &item, sizeof(item), nullptr)) {
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(target.get(), item.pszText, text, kChars * sizeof(wchar_t), nullptr);
    }
    VirtualFreeEx(target.get(), remote, 0, MEM_RELEASE);
    return text;
}

// Keys as the keyboard sends them to the foreground window: pressed in order, released in reverse.
void PressKeys(std::vector<WORD> keys) {
    std::vector<INPUT> inputs(keys.size() * 2, INPUT{INPUT_KEYBOARD});
    for (size_t i = 0; i < keys.size(); ++i) {
        inputs[i].ki.wVk = keys[i];
        inputs[inputs.size() - 1 - i].ki.wVk = keys[i];
        inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Clicks the list's first row as the mouse would, which selects it and gives the list the focus.
void ClickFirstRow(HWND list) {
    RECT header = {}, rows = {};
    GetWindowRect(ChildOfClass(list, WC_HEADERW), &header);
    GetWindowRect(list, &rows);
    SetCursorPos(rows.left + 20, header.bottom + 6);
    INPUT click[2] = {{INPUT_MOUSE}, {INPUT_MOUSE}};
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    Sleep(300);
}

class Program : public testing::Test {
protected:
    TempDir folder;

    void SetUp() override {
        ASSERT_TRUE(CopyFileW(TEV_PROGRAM_PATH, folder.File(L"tevtranslator.exe").c_str(), FALSE));
        const std::wstring project = folder.File(L"projects\\sample");
        CreateDirectoryW(folder.File(L"projects").c_str(), nullptr);
        CreateDirectoryW(project.c_str(), nullptr);
        WriteUtf8File(project + L"\\tevproject.xml", R"(<tevproject name="Sample" dst="sample.xml"><strings>
            <string id="title" attr="caption" text="Settings"/>
            <string id="ok" attr="label" text="OK"/>
            <string id="cancel" attr="label" text="Cancel"/>
            </strings><files><file name="a.xml"/></files></tevproject>)");
        WriteUtf8File(
            project + L"\\a.xml",
            R"(<dialog caption="Alpha" locid="title"><button locid="ok"/><button locid="cancel"/></dialog>)");
    }

    std::wstring TranslationFile() const {
        return folder.File(std::to_wstring(GetUserDefaultLCID()).c_str()) + L"\\sample.xml";
    }

    // Runs the check with the arguments and answers its exit code.
    DWORD RunCheck(const std::wstring& arguments, HANDLE output = nullptr) const {
        ProgramProcess check(folder.File(L"tevtranslator.exe"), folder.Path(), arguments, output);
        EXPECT_TRUE(check.Started());
        return check.WaitForExit(20000);
    }
};

} // namespace

TEST_F(Program, OpensTheChosenProjectListsItsStringsAndKeepsItsSizeOnClose) {
    ProgramProcess program(folder.File(L"tevtranslator.exe"), folder.Path());
    ASSERT_TRUE(program.Started());

    HWND open = WaitForWindow(program, L"Open Project");
    ASSERT_NE(nullptr, open);
    PostMessageW(open, WM_COMMAND, IDOK, 0);

    HWND main = WaitForWindow(program, L".:: tevlib translator ::.");
    ASSERT_NE(nullptr, main);
    HWND list = ChildOfClass(main, WC_LISTVIEWW);
    EXPECT_EQ(3, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(L"Settings", CellOfOtherProcess(list, program.Id(), 0, 0));
    EXPECT_EQ(L"Cancel", CellOfOtherProcess(list, program.Id(), 2, 0));
    EXPECT_EQ(L"", CellOfOtherProcess(list, program.Id(), 2, 1));
    RECT outer = {};
    GetWindowRect(main, &outer);

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.WaitForExit(10000));
    const std::wstring settings = folder.File(L"settings.ini");
    EXPECT_EQ(outer.right - outer.left,
              static_cast<int>(GetPrivateProfileIntW(L"MainWindow", L"width", 0, settings.c_str())));
    EXPECT_FALSE(FileExists(TranslationFile())); // nothing was translated, nothing is written
}

TEST_F(Program, TranslatesThroughTheTranslateDialogImportsRetranslatesAndSavesWithCtrlS) {
    WriteUtf16File(folder.File(L"older.ini"), L"Cancel=Abbrechen\r\nOK=Not this one\r\n");
    ProgramProcess program(folder.File(L"tevtranslator.exe"), folder.Path());
    ASSERT_TRUE(program.Started());
    HWND open = WaitForWindow(program, L"Open Project");
    ASSERT_NE(nullptr, open);
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    HWND main = WaitForWindow(program, L".:: tevlib translator ::.");
    ASSERT_NE(nullptr, main);

    // Two strings through the translate dialog, from the first row on.
    PostMessageW(FindWindowExW(main, nullptr, L"Button", L"&Translate..."), BM_CLICK, 0, 0);
    HWND translate = WaitForWindow(program, L"Translate String");
    ASSERT_NE(nullptr, translate);
    SendMessageW(TranslationBox(translate), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Einstellungen"));
    ClickButton(translate, L"&Save >");
    SendMessageW(TranslationBox(translate), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Gut"));
    ClickButton(translate, L"&Save >");
    ClickButton(translate, L"&Close");

    // The older string file through the import button's file dialog.
    PostMessageW(FindWindowExW(main, nullptr, L"Button", L"&Import Strings..."), BM_CLICK, 0, 0);
    HWND files = WaitForOwnedDialog(main);
    ASSERT_NE(nullptr, files);
    const std::wstring older = folder.File(L"older.ini");
    HWND name = GetDlgItem(files, 0x47C); // the file name box of the platform's file dialogs
    if (!name) {
        name = GetDlgItem(files, 0x480);
    }
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(older.c_str()));
    PostMessageW(files, WM_COMMAND, IDOK, 0);
    for (int attempt = 0; attempt < 100 && IsWindowVisible(files); ++attempt) {
        Sleep(50);
    }
    // The import tells what it did.
    HWND report = WaitForOwnedDialog(main);
    ASSERT_NE(nullptr, report);
    PostMessageW(report, WM_COMMAND, IDOK, 0);
    for (int attempt = 0; attempt < 100 && IsWindowVisible(report); ++attempt) {
        Sleep(50);
    }

    // The first row again, by Enter, translated over its first translation; Ctrl+S saves.
    SetForegroundWindow(main);
    ClickFirstRow(ChildOfClass(main, WC_LISTVIEWW));
    PressKeys({VK_RETURN});
    translate = WaitForWindow(program, L"Translate String");
    ASSERT_NE(nullptr, translate);
    SendMessageW(TranslationBox(translate), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Optionen"));
    ClickButton(translate, L"&Save >");
    ClickButton(translate, L"&Close");
    for (int attempt = 0; attempt < 100 && IsWindowVisible(translate); ++attempt) {
        Sleep(50);
    }
    SetForegroundWindow(main);
    PressKeys({VK_CONTROL, 'S'});
    for (int attempt = 0; attempt < 100 && !FileExists(TranslationFile()); ++attempt) {
        Sleep(50);
    }

    // Saved already: closing asks nothing.
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.WaitForExit(10000));

    CTEVEngine saved(nullptr);
    saved.LoadStrings(TranslationFile().c_str());
    EXPECT_STREQ(L"Optionen", saved.FindString(L"title", L"caption"));
    EXPECT_STREQ(L"Gut", saved.FindString(L"ok", L"label"));
    EXPECT_STREQ(L"Abbrechen", saved.FindString(L"cancel", L"label"));
}

// The check for build pipelines: findings by string id to a report or standard output, exit codes
// that tell clean, findings and unusable input apart.
TEST_F(Program, CheckCommandReportsFindingsAndEndsWithItsExitCode) {
    const std::wstring translation = folder.File(L"1031") + L"\\sample.xml";
    CreateDirectoryW(folder.File(L"1031").c_str(), nullptr);
    WriteUtf8File(translation, R"(<strings><string id="title" attr="caption" loc="Einstellungen:"/>
        <string id="ok" attr="label" loc="OK"/></strings>)");
    const auto run = [&](const std::wstring& arguments, HANDLE output = nullptr) {
        return RunCheck(arguments, output);
    };

    EXPECT_EQ(1u, run(L"--check sample 1031 --report report.txt"));
    EXPECT_EQ("title [caption] in \"Alpha\": end mark: none \xE2\x86\x92 \":\"\r\n"
              "2 of 3 translated, 1 problem\r\n"
              "1 finding: 1 punctuation\r\n",
              ReadBytes(folder.File(L"report.txt")));

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const std::wstring outputPath = folder.File(L"output.txt");
    HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, output);
    EXPECT_EQ(1u, run(L"--check \"" + folder.File(L"projects\\sample\\tevproject.xml") + L"\" 1031", output));
    EXPECT_EQ(2u, run(L"--check sample 1036", output));
    EXPECT_EQ(2u, run(L"--check nosuch 1031", output));
    EXPECT_EQ(2u, run(L"--check sample", output));
    CloseHandle(output);
    const std::string printed = ReadBytes(outputPath);
    EXPECT_EQ(0u, printed.find("title [caption] in \"Alpha\""));
    EXPECT_NE(std::string::npos, printed.find("There is no translation file for language 1036"));
    EXPECT_NE(std::string::npos, printed.find("Usage:"));

    WriteUtf8File(translation,
                  R"(<strings><string id="title" attr="caption" loc="Einstellungen"/></strings>)");
    EXPECT_EQ(0u, run(L"--check sample 1031"));
}

// A finding dismissed in the translator no longer fails the check; --all counts it again.
TEST_F(Program, CheckCommandHonoursDismissalsUnlessAll) {
    const std::wstring translation = folder.File(L"1031") + L"\\sample.xml";
    CreateDirectoryW(folder.File(L"1031").c_str(), nullptr);
    WriteUtf8File(translation,
                  R"(<strings><string id="title" attr="caption" loc="Einstellungen:"/></strings>)");
    {
        TranslationSession session;
        ASSERT_EQ(LoadStatus::Loaded,
                  session.Open(folder.File(L"projects\\sample\\tevproject.xml"), translation, 1031).status);
        const std::vector<Finding> findings = session.Checks().FindingsOf(session.Model(), 0);
        ASSERT_EQ(1u, findings.size());
        ASSERT_TRUE(session.SetDismissed(findings[0], true).Saved());
    }
    EXPECT_EQ(0u, RunCheck(L"--check sample 1031 --report report.txt"));
    EXPECT_EQ("1 of 3 translated, 0 problems\r\nNo findings (1 dismissed)\r\n",
              ReadBytes(folder.File(L"report.txt")));
    EXPECT_EQ(1u, RunCheck(L"--check sample 1031 --all --report report.txt"));
    EXPECT_EQ(0u, ReadBytes(folder.File(L"report.txt")).find("title [caption] in \"Alpha\": end mark"));
    EXPECT_EQ(2u, RunCheck(L"--check sample 1031 --all --all"));
}

// Before any translation exists, every dialog is laid out with a pseudo-translation: the demo's
// Rename button, given a fixed width, cannot hold its longer text.
TEST_F(Program, CheckCommandLaysEveryDialogOutPseudoTranslated) {
    const std::wstring demo = std::wstring(TEV_DEMO_PATH) + L"\\projects\\demo\\tevproject.xml";
    EXPECT_EQ(1u, RunCheck(L"--check \"" + demo + L"\" --pseudo --report report.txt"));
    const std::string report = ReadBytes(folder.File(L"report.txt"));
    EXPECT_NE(std::string::npos, report.find("btnRename [label] in \"Rename Photos\": \"[&R")) << report;
    EXPECT_NE(std::string::npos, report.find(" clipped")) << report;
    EXPECT_EQ(std::string::npos, report.find("translated")) << report; // no translation to count
    EXPECT_FALSE(FileExists(folder.File(L"1281")));

    EXPECT_EQ(0u, RunCheck(L"--check sample --pseudo 0")); // brackets alone fit every control here
    EXPECT_EQ(2u, RunCheck(L"--check sample --pseudo 1001"));
}
