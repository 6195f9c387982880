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

enum class Modifier { None, Ctrl, Alt };

// A key as the keyboard delivers it to the focused control, through the window's loop, with the
// modifier held while it is handled (the fixture lets go of it at the end of each test).
inline void PostKey(HWND focus, UINT key, Modifier modifier = Modifier::None) {
    HoldModifiers(modifier == Modifier::Ctrl  ? std::vector<int>{VK_CONTROL}
                  : modifier == Modifier::Alt ? std::vector<int>{VK_MENU}
                                              : std::vector<int>{});
    SetFocus(focus);
    constexpr LPARAM kAltDown = 1 << 29;
    PostMessageW(focus, modifier == Modifier::Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key,
                 modifier == Modifier::Alt ? kAltDown | 1 : 1);
}

class TranslatorFixture : public testing::Test {
protected:
    ProgramFolder program;
    CTEVEngine engine{GetModuleHandleW(nullptr)};
    TranslationSession session;

    void SetUp() override {
        WriteProject(L"sample", kProject);
        CreateDirectoryW((program.LanguageFolder() + L"\\sample").c_str(), nullptr);
        WriteUtf8File(TranslationFile(), kTranslation);
    }
    void TearDown() override { HoldModifiers({}); } // none left held for the next test

    void WriteProject(const wchar_t* folder, const char* projectXml) {
        program.AddProject(folder, projectXml, {{L"a.xml", kDialogA}, {L"b.xml", kDialogB}});
    }

    std::wstring TranslationFile() const { return program.LanguageFolder() + L"\\sample\\strings.xml"; }

    // The saved file lost the translation of "look" (its box was emptied) and kept the others.
    void ExpectSavedWithoutLook() const {
        CTEVEngine reader(nullptr);
        reader.LoadStrings(TranslationFile().c_str());
        EXPECT_EQ(nullptr, reader.FindString(L"look", L"value"));
        EXPECT_STREQ(L"Annuler", reader.FindString(L"cancel4", L"label"));
    }

    // Runs the main window: answers the open dialog (OK, or Cancel for a language of -1; another
    // language is chosen first), then runs the steps inside the main loop. The test fails when the
    // window did not open or closed before the last step; it is ended afterwards without questions.
    static INT_PTR Run(CMainDialog& main, std::vector<Step> steps, int language = 0) {
        steps.insert(steps.begin(), [&main, language] { AnswerOpenDialog(main, language); });
        return RunModal(
            "the main window", [&main] { return main.DoModal(nullptr); }, std::move(steps),
            [&main] { EndIfOpen(main.Window()); });
    }

    static void AnswerOpenDialog(CMainDialog& main, int language) {
        HWND open = FindOwnedDialog(main.Window());
        ASSERT_NE(nullptr, open) << "no open dialog";
        if (language > 0) {
            HWND languages = FindWindowExW(open, nullptr, L"ComboBox", nullptr);
            const int count = static_cast<int>(SendMessageW(languages, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                if (SendMessageW(languages, CB_GETITEMDATA, i, 0) == language) {
                    SendMessageW(languages, CB_SETCURSEL, i, 0);
                }
            }
        }
        PressButton(open, language < 0 ? IDCANCEL : IDOK);
    }

    static CTEVElement& Get(CTEVDialog& dialog, const wchar_t* id) { return As<CTEVElement>(dialog, id); }

    // The text of the message box the main window shows, answered with button.
    static std::wstring AnswerMessageBox(CMainDialog& main, int button) {
        HWND box = FindOwnedDialog(main.Window());
        std::wstring text = MessageBoxText(box);
        PressButton(box, button);
        return text;
    }

    // The dialog of class T the main window opened; none fails the test and leaves the step.
    template <typename T> static T& Opened(CMainDialog& main) {
        HWND window = FindOwnedDialog(main.Window());
        auto* dialog = dynamic_cast<T*>(
            window ? reinterpret_cast<CTEVDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr);
        if (!dialog) {
            ADD_FAILURE() << "no such dialog is open";
            throw StepAborted{};
        }
        return *dialog;
    }

    static std::vector<std::wstring> Column(CMainDialog& main, int column) {
        return ColumnTexts(main.StringList()->Window(), column);
    }

    static void Type(CTEVDialog& main, const wchar_t* id, const wchar_t* text) { TypeInto(main, id, text); }

    static void ClickLink(CMainDialog& main, const wchar_t* id) { Get(main, id).Fire(L"clicked", 0, 0); }

    static void SelectRow(CMainDialog& main, int row) { ::SelectRow(main.StringList()->Window(), row); }

    static bool SaveEnabled(CMainDialog& main) { return IsWindowEnabled(Get(main, L"btnSave").Window()); }
};

using Texts = std::vector<std::wstring>;
