// Previews of the demo project's dialogs from the main window: the dialog as described and with
// the translation applied, its picture drawn from the project's images folder, closed by Escape.
#include "PseudoTranslation.h"
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
        std::filesystem::copy(std::filesystem::path(TEV_DEMO_PATH),
                              std::filesystem::path(program.Path()).parent_path(),
                              std::filesystem::copy_options::recursive);
    }

    std::wstring GermanTranslation() const { return program.File(L"1031\\demo\\strings.xml"); }

    // A step to run inside a preview: reads it, keeps a screenshot, and closes it with Escape.
    static std::function<void()> ReadPreview(CMainDialog& main, Preview& preview, const wchar_t* screenshot) {
        return [&main, &preview, screenshot] {
            HWND dialog = FindOwnedDialog(main.Window());
            ASSERT_NE(nullptr, dialog);
            wchar_t caption[128] = L"";
            GetWindowTextW(dialog, caption, 128);
            preview.caption = caption;
            HWND picture = FindWindowExW(dialog, nullptr, L"TEV_PICTURE_CLASS", nullptr);
            RECT rect = {};
            GetWindowRect(picture, &rect);
            preview.logoCentre = SaveScreenshot(dialog, screenshot).At({rect.left + 24, rect.top + 24});
            PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        };
    }
};

const COLORREF kLogoBlue = RGB(40, 110, 200);

} // namespace

TEST_F(DialogPreview, ShowsTheDialogAsDescribedAndTranslatedWithItsPicture) {
    CMainDialog main(&engine, program.Path(), session);
    Preview original, translated;
    Run(main,
        {[&] {
             Get(main, L"dialog").SetValue(0); // About
             ClickElement(main, L"showOriginal");
         },
         ReadPreview(main, original, L"preview-original"), [&] { ClickElement(main, L"testDlg"); },
         ReadPreview(main, translated, L"preview-translated")},
        kGerman);
    EXPECT_EQ(L"About Photo Organizer", original.caption);
    EXPECT_EQ(Widen(u8"Über Photo Organizer"), translated.caption);
    EXPECT_EQ(kLogoBlue, original.logoCentre);
    EXPECT_EQ(kLogoBlue, translated.logoCentre);
}

// The pseudo-locale, chosen in the open dialog, shows every dialog pseudo-translated with no file.
TEST_F(DialogPreview, ThePseudoLocaleShowsEveryDialogPseudoTranslatedWithoutAFile) {
    CMainDialog main(&engine, program.Path(), session);
    Preview pseudo;
    std::wstring title;
    bool saveEnabled = true;
    Run(main,
        {[&] {
             title = WindowText(main.Window());
             saveEnabled = SaveEnabled(main);
             Get(main, L"dialog").SetValue(0); // About
             ClickElement(main, L"testDlg");
         },
         ReadPreview(main, pseudo, L"preview-pseudo")},
        kPseudoLanguageId);
    EXPECT_NE(std::wstring::npos, title.find(L" - Pseudo (expanded) - ")) << Narrow(title);
    EXPECT_FALSE(saveEnabled);
    EXPECT_EQ(PseudoTranslate(L"About Photo Organizer"), pseudo.caption);
    EXPECT_EQ(kLogoBlue, pseudo.logoCentre);
    EXPECT_FALSE(FileExists(program.File(L"1281")));
}

// The preview reads the session, not the file: an unsaved text shows at once, and nothing is saved.
TEST_F(DialogPreview, ShowTranslatedShowsUnsavedTranslationsWithoutAskingToSave) {
    CMainDialog main(&engine, program.Path(), session);
    Preview preview;
    const std::string before = ReadBytes(GermanTranslation());
    Run(main,
        {[&] {
             main.SetTranslation(0, L"Neu"); // the About caption
             Get(main, L"dialog").SetValue(0);
             ClickElement(main, L"testDlg");
         },
         [&] {
             ReadPreview(main, preview, L"preview-unsaved")();
             session.DiscardModified();
         }},
        kGerman);
    EXPECT_EQ(L"Neu", preview.caption);
    EXPECT_EQ(before, ReadBytes(GermanTranslation()));
}

TEST_F(DialogPreview, TheLinksPreviewTheFirstDialogOfTheSelectedString) {
    CMainDialog main(&engine, program.Path(), session);
    Preview preview;
    Run(main,
        {[&] {
             SelectRow(main, 5); // "OK", used by all three dialogs
             ClickLink(main, L"urlTranslated");
         },
         ReadPreview(main, preview, L"preview-link")},
        kGerman);
    EXPECT_EQ(Widen(u8"Über Photo Organizer"), preview.caption);
}

TEST_F(DialogPreview, EveryDemoDialogPreviewsTranslatedWithItsControls) {
    ProjectModel demo;
    ASSERT_EQ(
        LoadStatus::Loaded,
        demo.Load(program.File(L"projects\\demo\\tevproject.xml"), GermanTranslation(), kGerman).status);
    CMainDialog main(&engine, program.Path(), session);
    std::vector<std::wstring> captions;
    std::vector<int> controlCounts;
    std::vector<Step> steps;
    for (size_t i = 0; i < demo.Dialogs().size(); ++i) {
        steps.push_back([&, i] {
            Get(main, L"dialog").SetValue(static_cast<int>(i));
            ClickElement(main, L"testDlg");
        });
        steps.push_back([&, i] {
            HWND dialog = FindOwnedDialog(main.Window());
            ASSERT_NE(nullptr, dialog) << Narrow(demo.Dialogs()[i].path);
            wchar_t caption[128] = L"";
            GetWindowTextW(dialog, caption, 128);
            captions.push_back(caption);
            int count = 0;
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                ++count;
            }
            controlCounts.push_back(count);
            SaveScreenshot(dialog, (L"demo-" + std::to_wstring(i)).c_str());
            PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        });
    }
    Run(main, std::move(steps), kGerman);
    ASSERT_EQ(demo.Dialogs().size(), captions.size());
    for (size_t i = 0; i < captions.size(); ++i) {
        EXPECT_FALSE(captions[i].empty()) << Narrow(demo.Dialogs()[i].path);
        EXPECT_GE(controlCounts[i], 3) << Narrow(demo.Dialogs()[i].path);
    }
}

class OversizedPreview : public TranslatorFixture {};

TEST_F(OversizedPreview, ADescriptionBeyondTheElementBoundIsExplainedInsteadOfShown) {
    std::string boxes;
    for (int i = 0; i < CTEVElement::kMaxElements; ++i) {
        boxes += "<box/>";
    }
    const std::wstring folder = program.AddProject(
        L"sample", kProject, {{L"a.xml", "<dialog>" + boxes + "</dialog>"}, {L"b.xml", kDialogB}});
    CMainDialog main(&engine, program.Path(), session);
    std::wstring report;
    Run(main, {[&] { main.ShowOriginal(0); }, [&] { report = AnswerMessageBox(main, IDOK); }});
    EXPECT_EQ(
        L"The dialog is not shown: its description holds more than 10000 elements, more than a dialog can "
        L"have.\n" +
            folder + L"\\a.xml",
        report);
}
