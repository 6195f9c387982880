// The project's checks kept current: progress per dialog and in all, mnemonic clashes that only the
// translation made, layout findings dropped with a change, and where the findings show.
#include "CCheckDlg.h"
#include "CTranslateDlg.h"
#include "Dismissals.h"
#include "ProjectChecks.h"
#include "TranslatorFixture.h"

namespace {

StringItem Translated(const wchar_t* id, const wchar_t* text, const wchar_t* loc) {
    return {id, L"label", text, loc ? OptString(loc) : std::nullopt};
}

// Dialog 0 holds a, b, c, g, h; dialog 1 holds b and e.
ProjectModel ClashingModel() {
    return ProjectModel(
        {
            Translated(L"a", L"&Name:", L"&Name"),          // end mark lost; "N" as b now has
            Translated(L"b", L"&Rename", L"&Neu benennen"), // clashes with a here and with e in dialog 1
            Translated(L"c", L"%d files", nullptr),
            Translated(L"e", L"&Next", L"&N\u00E4chste"),
            Translated(L"g", L"&Open", L"&\u00D6ffnen"), // g and h shared "O" already: no clash of ours
            Translated(L"h", L"&Other", L"&\u00D6ffentlich"),
        },
        {{L"d0.xml", L"Zero", {L"a", L"b", L"c", L"g", L"h"}}, {L"d1.xml", L"One", {L"b", L"e", L"b"}}});
}

size_t Problems(const Progress& progress) {
    return progress.problems;
}

} // namespace

TEST(ProjectChecks, CountsProgressAndClashesPerDialogAndFollowsChanges) {
    ProjectModel model = ClashingModel();
    ProjectChecks checks;
    checks.Reset(model);

    EXPECT_EQ(L"5 of 6 translated, 5 problems", ProgressText(checks.Total()));
    EXPECT_EQ(L"4/5, 3 problems", ShortProgressText(checks.OfDialog(0)));
    EXPECT_EQ(L"2/2, 2 problems", ShortProgressText(checks.OfDialog(1)));
    EXPECT_FALSE(checks.HasFindings(4));
    const std::vector<Finding> ofA = checks.FindingsOf(model, 0);
    ASSERT_EQ(2u, ofA.size());
    EXPECT_EQ(L"end mark: \":\" \u2192 none", ofA[0].what);
    EXPECT_EQ(L"the accelerator \"N\" is also used by \"&Neu benennen\" (b)", ofA[1].what);
    EXPECT_EQ(L"end mark: \":\" \u2192 none; the accelerator \"N\" is also used by \"&&Neu benennen\" (b)",
              FindingsLine(ofA));

    // A layout finding counts until a string of its dialog changes.
    checks.SetLayoutFindings(model, 1, {{3, 1, L"needs 90 px, has 60 px"}});
    EXPECT_FALSE(checks.LayoutStale(1));
    EXPECT_EQ(6u, Problems(checks.Total()));
    model.SetLoc(1, L"&Umbenennen");
    checks.Recheck(model, {1});
    EXPECT_EQ(1u, Problems(checks.Total()));
    EXPECT_TRUE(checks.LayoutStale(1));
    EXPECT_EQ(L"2/2", ShortProgressText(checks.OfDialog(1)));
    EXPECT_EQ(checks.AllFindings(model).size(), Problems(checks.Total()));

    // What the translator types is checked before it is stored.
    EXPECT_EQ(1u, checks.CheckCandidate(model, 3, OptString(L"&Umbenannt")).size());
    EXPECT_TRUE(checks.CheckCandidate(model, 3, OptString(L"&Weiter")).empty());
}

// A dismissed clash counts on neither dialog nor project for the string it was dismissed for (the
// other side still does); a dismissed layout finding counts nowhere. Both stay listed, marked.
TEST(ProjectChecks, DismissedFindingsCountNowhereAndAreListedMarked) {
    const ProjectModel model = ClashingModel();
    Dismissals dismissals;
    ProjectChecks checks;
    checks.SetDismissals(&dismissals);
    checks.Reset(model);
    checks.SetLayoutFindings(model, 1, {{3, 1, L"needs 90 px, has 60 px", L"clipped", L"btnNext"}});
    EXPECT_EQ(L"6 findings: 1 punctuation, 4 accelerator clashes, 1 clipped",
              FindingsSummary(checks.AllFindings(model)));

    const Finding clashOfA = checks.FindingsOf(model, 0)[1];
    const Finding layoutOfE = checks.FindingsOf(model, 3)[1];
    for (const Finding& finding : {clashOfA, layoutOfE}) {
        const StringItem& item = model.Strings()[finding.string];
        dismissals.Add(Dismissal::Of(item, item.loc, finding.kind, finding.detail));
        checks.Recount(model, finding.string);
    }
    EXPECT_EQ(4u, Problems(checks.Total()));
    EXPECT_EQ(L"4/5, 2 problems", ShortProgressText(checks.OfDialog(0)));
    EXPECT_EQ(L"2/2, 2 problems", ShortProgressText(checks.OfDialog(1)));
    EXPECT_EQ(1u, checks.FindingsOf(model, 3).size());
    EXPECT_FALSE(checks.LayoutStale(1)); // counted anew, not laid out anew
    const std::vector<Finding> all = checks.AllFindings(model);
    EXPECT_EQ(L"4 findings: 1 punctuation, 3 accelerator clashes (2 dismissed)", FindingsSummary(all));
    EXPECT_EQ(2, std::count_if(all.begin(), all.end(), [](const Finding& f) { return f.dismissed; }));
}

TEST(ProjectChecks, EveryStringOfAUnitShowsTheUnitsClashesAndLayoutFindings) {
    const ProjectModel model({Translated(L"a", L"&Name", L"&Neu"),
                              Translated(L"b", L"&Rename", L"&Neu benennen"),
                              Translated(L"b", L"&Rename", L"&Neu benennen")},
                             {{L"d0.xml", L"Zero", {L"a", L"b"}}});
    ProjectChecks checks;
    checks.Reset(model);
    checks.SetLayoutFindings(model, 0, {{1, 0, L"needs 90 px, has 60 px"}});
    for (const size_t s : {size_t{1}, size_t{2}}) {
        EXPECT_TRUE(checks.HasFindings(s)) << s;
        const std::vector<Finding> findings = checks.FindingsOf(model, s);
        ASSERT_EQ(2u, findings.size()) << s;
        EXPECT_EQ(L"the accelerator \"N\" is also used by \"&Neu\" (a)", findings[0].what);
        EXPECT_EQ(L"needs 90 px, has 60 px", findings[1].what);
        EXPECT_EQ(s, findings[1].string);
    }
}

TEST(ProjectChecks, OneOriginalTranslatedTwoWaysIsAFindingOnBoth) {
    ProjectModel model({Translated(L"a", L"Close", L"Schlie\u00DFen"),
                        Translated(L"b", L"Close", L"Zumachen"), Translated(L"c", L"Shut", L"Schlie\u00DFen"),
                        Translated(L"d", L"Close", nullptr)},
                       {{L"d0.xml", L"Zero", {L"a", L"b", L"c", L"d"}}});
    ProjectChecks checks;
    checks.Reset(model);
    EXPECT_EQ(L"3 of 4 translated, 2 problems", ProgressText(checks.Total())); // not c: another original
    ASSERT_EQ(1u, checks.FindingsOf(model, 1).size());
    EXPECT_EQ(L"the same original is also translated as \"Schlie\u00DFen\" (a)",
              checks.FindingsOf(model, 1)[0].what);
    EXPECT_EQ(1u, checks.CheckCandidate(model, 3, OptString(L"Zu")).size()); // as it is typed
    model.SetLoc(1, L"Schlie\u00DFen");
    checks.Recheck(model, {1});
    EXPECT_EQ(0u, Problems(checks.Total()));
    EXPECT_FALSE(checks.HasFindings(0));
}

TEST_F(TranslatorFixture, ChecksShowInTheStatusLineSelectorFilterTranslateAndCheckDialogs) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring status, beta, typedFindings, storedStatus;
    Texts withProblems, untranslated, afterGoTo;
    Run(main, {[&] {
                   status = WindowText(Get(main, L"progress"));
                   wchar_t entry[64] = L"";
                   SendMessageW(Get(main, L"dialog").Window(), CB_GETLBTEXT, 2,
                                reinterpret_cast<LPARAM>(entry));
                   beta = entry;
                   Get(main, L"show").SetValue(2);
                   main.FillStringList();
                   withProblems = Column(main, 0);
                   Get(main, L"show").SetValue(1);
                   main.FillStringList();
                   untranslated = Column(main, 0);
                   Get(main, L"show").SetValue(0);
                   main.FillStringList();
                   SelectRow(main, 0);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTranslateDlg& translate = Opened<CTranslateDlg>(main);
                   Type(translate, L"dstString", L"%d Einstellungen");
                   typedFindings = WindowText(Get(translate, L"findings"));
                   SaveScreenshot(translate.Window(), L"translate-findings");
                   ClickElement(translate, L"btnSave");
                   ClickElement(translate, L"btnClose");
               },
               [&] {
                   storedStatus = WindowText(Get(main, L"progress"));
                   ClickElement(main, L"btnCheck");
               },
               [&] {
                   CCheckDlg& check = Opened<CCheckDlg>(main);
                   SaveScreenshot(check.Window(), L"check-dialog");
                   ClickElement(check, L"btnGoTo");
               },
               [&] {
                   afterGoTo = {WindowText(Get(main, L"strID")), WindowText(Get(main, L"findings"))};
               }});

    EXPECT_EQ(L"2 of 8 translated, 1 problem; not read: missing.xml (not found)", status);
    EXPECT_EQ(L"Beta (2/5, 1 problem)", beta);
    EXPECT_EQ((Texts{L"Look in:"}), withProblems);
    EXPECT_EQ(6u, untranslated.size());
    EXPECT_EQ(L"placeholder %d is not in the original", typedFindings);
    EXPECT_EQ(L"3 of 8 translated, 2 problems; not read: missing.xml (not found)", storedStatus);
    EXPECT_EQ((Texts{L"[caption] title", L"placeholder %d is not in the original"}), afterGoTo);
}

TEST_F(TranslatorFixture, TheCheckDialogDismissesAndRestoresTheSelectedFinding) {
    CMainDialog main(&engine, program.Path(), session);
    Texts dismissed, restored;
    Run(main, {[&] { ClickElement(main, L"btnCheck"); },
               [&] {
                   CCheckDlg& check = Opened<CCheckDlg>(main);
                   const auto state = [&] {
                       return Texts{WindowText(Get(check, L"summary")),
                                    ColumnTexts(As<CTEVList>(check, L"lstFindings").Window(), 2).at(0),
                                    WindowText(Get(check, L"btnDismiss")),
                                    WindowText(Get(main, L"progress"))};
                   };
                   ClickElement(check, L"btnDismiss");
                   dismissed = state();
                   ClickElement(check, L"btnDismiss");
                   restored = state();
                   ClickElement(check, L"btnClose");
               }});
    EXPECT_EQ((Texts{L"2 of 8 translated, 0 problems; No findings (1 dismissed)",
                     L"(dismissed) end mark: \":\" \u2192 none", L"&Restore",
                     L"2 of 8 translated, 0 problems; not read: missing.xml (not found)"}),
              dismissed);
    EXPECT_EQ(
        (Texts{L"2 of 8 translated, 1 problem; 1 finding: 1 punctuation", L"end mark: \":\" \u2192 none",
               L"&Dismiss", L"2 of 8 translated, 1 problem; not read: missing.xml (not found)"}),
        restored);
}

TEST(ProjectChecks, AnIdAndAttrStandingForTwoOriginalsIsOneProblemListedOnce) {
    const ProjectModel model({{L"x", L"label", L"Open", L"\u00D6ffnet"},
                              {L"y", L"label", L"Close", std::nullopt},
                              {L"x", L"label", L"Opens", L"\u00D6ffnet"}},
                             {});
    ProjectChecks checks;
    checks.Reset(model);
    EXPECT_EQ(L"1 of 2 translated, 1 problem", ProgressText(checks.Total()));
    EXPECT_TRUE(checks.HasFindings(0));
    EXPECT_FALSE(checks.HasFindings(1));
    EXPECT_TRUE(checks.HasFindings(2));
    const std::vector<Finding> all = checks.AllFindings(model);
    ASSERT_EQ(1u, all.size());
    EXPECT_EQ(
        L"its id and attr also stand for the original \"Opens\": the translation file keeps one translation "
        L"for both",
        all[0].what);
}

TEST_F(TranslatorFixture, TheMainWindowLaysEveryDialogOutWhileIdleWithoutACheck) {
    CMainDialog main(&engine, program.Path(), session);
    const auto anyStale = [&] {
        for (size_t d = 0; d < session.Model().Dialogs().size(); ++d) {
            if (session.Checks().LayoutStale(d)) {
                return true;
            }
        }
        return false;
    };
    bool staleAtLast = true;
    Run(main, {[&] {
            for (const ULONGLONG end = GetTickCount64() + 5000; anyStale() && GetTickCount64() < end;) {
                MSG message;
                if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                } else {
                    Sleep(1);
                }
            }
            staleAtLast = anyStale();
        }});
    EXPECT_FALSE(staleAtLast);
}
