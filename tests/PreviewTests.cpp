// Previews of the demo project's dialogs from the main window: the dialog as described and with
// the translation applied, its picture drawn from the project's images folder, closed by Escape.
#include "TranslatorFixture.h"

#include <filesystem>

namespace {

const int kGerman = 0x0407;

struct Preview {
    std::wstring caption;
    COLORREF logoCentre = CLR_INVALID;
};

class DialogPreview : public TranslatorFixture {
protected:
    void SetUp() override {
        std::filesystem::copy(std::filesystem::path(TEV_DEMO_PATH), std::filesystem::path(program.Path()),
                              std::filesystem::copy_options::recursive);
    }

    std::wstring GermanTranslation() const { return program.File(L"1031\\demo\\strings.xml"); }

    // Confirms the open dialog with German as the language, then runs the steps.
    INT_PTR RunInGerman(CMainDialog& main, std::vector<std::function<void()>> steps) {
        RunSoon([&main] {
            HWND open = FindOwnedDialog(main.Window());
            HWND languages = FindWindowExW(open, nullptr, L"ComboBox", nullptr);
            const int count = static_cast<int>(SendMessageW(languages, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                if (SendMessageW(languages, CB_GETITEMDATA, i, 0) == kGerman) {
                    SendMessageW(languages, CB_SETCURSEL, i, 0);
                }
            }
            PressButton(open, IDOK);
        });
        for (auto& step : steps) {
            RunSoon(std::move(step));
        }
        RunSoon([&main] { EndDialog(main.Window(), kEndedByScript); });
        return main.DoModal(nullptr);
    }

    // A step to run inside a preview: reads it, keeps a screenshot, and closes it with Escape.
    static std::function<void()> ReadPreview(CMainDialog& main, Preview& preview, const wchar_t* screenshot) {
        return [&main, &preview, screenshot] {
            HWND dialog = FindOwnedDialog(main.Window());
            ASSERT_NE(nullptr, dialog);
            wchar_t caption[128] = L"";
            GetWindowTextW(dialog, caption, 128);
            preview.caption = caption;
            UpdateWindow(dialog);
            HWND picture = FindWindowExW(dialog, nullptr, L"TEV_PICTURE_CLASS", nullptr);
            RECT rect = {};
            GetWindowRect(picture, &rect);
            HDC screen = GetDC(nullptr);
            preview.logoCentre = GetPixel(screen, rect.left + 24, rect.top + 24);
            ReleaseDC(nullptr, screen);
            SaveScreenshot(dialog, screenshot);
            PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        };
    }
};

const COLORREF kLogoBlue = RGB(40, 110, 200);

} // namespace

TEST_F(DialogPreview, ShowsTheDialogAsDescribedAndTranslatedWithItsPicture) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Preview original, translated;
    RunInGerman(main,
                {[&] {
                     main.FindById(L"dialog")->SetValue(0); // About
                     ClickElement(main, L"showOriginal");
                 },
                 ReadPreview(main, original, L"preview-original"), [&] { ClickElement(main, L"testDlg"); },
                 ReadPreview(main, translated, L"preview-translated")});
    EXPECT_EQ(L"About Photo Organizer", original.caption);
    EXPECT_EQ(Widen(u8"Über Photo Organizer"), translated.caption);
    EXPECT_EQ(kLogoBlue, original.logoCentre);
    EXPECT_EQ(kLogoBlue, translated.logoCentre);
}

TEST_F(DialogPreview, ShowTranslatedSavesPendingChangesFirstWhenTheUserAgrees) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Preview preview;
    bool savedBeforePreview = false;
    RunInGerman(main, {[&] {
                           main.SetTranslation(0, L"Neu"); // the About caption
                           main.FindById(L"dialog")->SetValue(0);
                           ClickElement(main, L"testDlg");
                       },
                       [&] { PressButton(FindOwnedDialog(main.Window()), IDYES); },
                       [&] {
                           savedBeforePreview = !main.Model().IsModified();
                           ReadPreview(main, preview, L"preview-after-save")();
                       }});
    EXPECT_TRUE(savedBeforePreview);
    EXPECT_EQ(L"Neu", preview.caption);
}

TEST_F(DialogPreview, CancellingTheSaveQuestionShowsNoPreview) {
    CMainDialog main(&engine, program.Path() + L"\\");
    HWND afterCancel = reinterpret_cast<HWND>(1);
    RunInGerman(main, {[&] {
                           main.SetTranslation(0, L"Neu");
                           main.FindById(L"dialog")->SetValue(0);
                           ClickElement(main, L"testDlg");
                       },
                       [&] { PressButton(FindOwnedDialog(main.Window()), IDCANCEL); },
                       [&] {
                           afterCancel = FindOwnedDialog(main.Window());
                           main.Model().MarkSaved();
                       }});
    EXPECT_EQ(nullptr, afterCancel);
}

TEST_F(DialogPreview, TheLinksPreviewTheFirstDialogOfTheSelectedString) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Preview preview;
    RunInGerman(main, {[&] {
                           SelectRow(main, 5); // "OK", used by all three dialogs
                           ClickLink(main, L"urlTranslated");
                       },
                       ReadPreview(main, preview, L"preview-link")});
    EXPECT_EQ(Widen(u8"Über Photo Organizer"), preview.caption);
}
