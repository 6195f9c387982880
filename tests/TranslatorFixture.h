// A translator main window driven in-process: a real sample project in a temporary program folder,
// the open dialog confirmed, and helpers that act on the window's controls as a user would.
#pragma once

#include "CMainDialog.h"
#include "CTEVList.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

inline const char* const kProject = R"(<tevproject name="Sample" dst="sample\strings.xml">
  <strings>
    <string id="title" attr="caption" text="Settings"/>
    <string id="ok" attr="label" text="OK"/>
    <string id="cancel" attr="label" text="Cancel"/>
    <string id="look" attr="value" text="Look in:"/>
    <string id="cancel2" attr="label" text="Cancel"/>
    <string id="orphan" text="Nowhere"/>
    <string id="cancel3" attr="label" text="cancel"/>
    <string id="cancel4" attr="label" text="Cancel"/>
  </strings>
  <files><file name="a.xml"/><file name="b.xml"/><file name="missing.xml"/></files>
</tevproject>)";

inline const char* const kDialogA =
    R"(<dialog caption="Alpha" locid="title"><button locid="ok"/><button locid="cancel"/></dialog>)";
inline const char* const kDialogB = R"(<dialog caption="Beta"><button locid="ok"/><label locid="look"/>
    <button locid="cancel2"/><button locid="cancel3"/><button locid="cancel4"/></dialog>)";
inline const char* const kTranslation = R"(<strings><string id="look" attr="value" loc="Chercher"/>
    <string id="cancel4" attr="label" loc="Annuler"/></strings>)";

class TranslatorFixture : public testing::Test {
protected:
    TempDir program;
    CTEVEngine engine{GetModuleHandleW(nullptr)};

    void SetUp() override {
        CreateDirectoryW(program.File(L"projects").c_str(), nullptr);
        WriteProject(L"sample", kProject);
        const std::wstring language = program.File(std::to_wstring(GetUserDefaultLCID()).c_str());
        CreateDirectoryW(language.c_str(), nullptr);
        CreateDirectoryW((language + L"\\sample").c_str(), nullptr);
        WriteUtf8File(TranslationFile(), kTranslation);
    }

    void WriteProject(const wchar_t* folder, const char* projectXml) {
        const std::wstring path = program.File(L"projects\\") + folder;
        CreateDirectoryW(path.c_str(), nullptr);
        WriteUtf8File(path + L"\\tevproject.xml", projectXml);
        WriteUtf8File(path + L"\\a.xml", kDialogA);
        WriteUtf8File(path + L"\\b.xml", kDialogB);
    }

    std::wstring TranslationFile() const {
        return program.File(std::to_wstring(GetUserDefaultLCID()).c_str()) + L"\\sample\\strings.xml";
    }

    // Runs the main window: confirms the open dialog, then runs the steps inside the main loop.
    // The window is ended afterwards without questions unless a step ended it.
    INT_PTR Run(CMainDialog& main, std::vector<std::function<void()>> steps) {
        RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); });
        for (auto& step : steps) {
            RunSoon(std::move(step));
        }
        RunSoon([&main] {
            if (IsWindow(main.Window()) && IsWindowVisible(main.Window())) {
                EndDialog(main.Window(), kEndedByScript);
            }
        });
        return main.DoModal(nullptr);
    }

    static std::vector<std::wstring> Column(CMainDialog& main, int column) {
        std::vector<std::wstring> texts;
        HWND list = main.StringList()->Window();
        const int rows = main.StringList()->GetItemCount();
        for (int row = 0; row < rows; ++row) {
            wchar_t text[256] = L"";
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 256;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        return texts;
    }

    static void Type(CTEVDialog& main, const wchar_t* id, const wchar_t* text) {
        HWND edit = main.FindById(id)->Window();
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }

    static void ClickElement(CTEVDialog& main, const wchar_t* id) {
        HWND control = main.FindById(id)->Window();
        SendMessageW(main.Window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }

    static void ClickLink(CMainDialog& main, const wchar_t* id) { main.FindById(id)->Fire(L"clicked", 0, 0); }

    static void SelectRow(CMainDialog& main, int row) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(main.StringList()->Window(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    static bool SaveEnabled(CMainDialog& main) {
        return IsWindowEnabled(main.FindById(L"btnSave")->Window());
    }
};

using Texts = std::vector<std::wstring>;
