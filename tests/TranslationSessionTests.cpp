// The translation session without any window: the rows its filter chooses, the changes it records
// and tells, and what it counts.
#include "PseudoTranslation.h"
#include "TranslatorFixture.h"

namespace {

using Rows = std::vector<size_t>;

class Session : public TranslatorFixture, private SessionObserver {
protected:
    void SetUp() override {
        TranslatorFixture::SetUp();
        session.AddObserver(this);
        ASSERT_EQ(LoadStatus::Loaded, OpenSample(session));
    }
    LoadStatus OpenSample(TranslationSession& opened) {
        return opened.Open(program.Path() + L"projects\\sample\\tevproject.xml", TranslationFile(), 1031)
            .status;
    }
    static const OptString& Loc(const TranslationSession& of, size_t string) {
        return of.Model().Strings()[string].loc;
    }
    void TearDown() override { session.RemoveObserver(this); }

    Rows Filtered(RowFilter filter) {
        session.SetFilter(std::move(filter));
        return session.Rows();
    }

    std::vector<Rows> told; // the strings of each change, as observers hear them
    int modifiedChanges = 0;

private:
    void OnTranslationsChanged(const std::vector<size_t>& strings) override { told.push_back(strings); }
    void OnModifiedChanged() override { ++modifiedChanges; }
};

} // namespace

// Strings: 0 Settings, 1 OK, 2 Cancel, 3 Look in: (Chercher), 4 Cancel, 5 Nowhere, 6 cancel,
// 7 Cancel (Annuler); dialog 0 uses 0-2, dialog 1 uses 1, 3, 4, 6, 7.
TEST_F(Session, TheFilterChoosesRowsInProjectOrder) {
    auto expectRows = [&](RowFilter filter, const Rows& rows) {
        const std::wstring search = filter.search.value_or(L"(none)");
        EXPECT_EQ(rows, Filtered(std::move(filter))) << search;
    };
    expectRows({}, {0, 1, 2, 3, 4, 5, 6, 7});
    expectRows({L"CANCEL"}, {2, 4, 6, 7});
    expectRows({L"annul"}, {7});                    // the translation is searched too
    expectRows({L""}, {0, 1, 2, 3, 4, 5, 6, 7});    // an empty search is none
    expectRows({std::nullopt, 1}, {1, 3, 4, 6, 7}); // each string of the dialog once
    expectRows({L"cancel", 1, ShownStrings::Untranslated}, {4, 6});
    expectRows({std::nullopt, -1, ShownStrings::Problems}, {3}); // "Chercher" lost the colon
    expectRows({std::nullopt, 9}, {0, 1, 2, 3, 4, 5, 6, 7});     // no such dialog: all
    EXPECT_EQ(std::optional<size_t>(3), session.RowOf(3));
    Filtered({L"cancel"});
    EXPECT_EQ(std::optional<size_t>(1), session.RowOf(4));
    EXPECT_EQ(std::nullopt, session.RowOf(3));
    EXPECT_EQ(std::optional<size_t>(7), session.StringAt(3));
    EXPECT_EQ(std::nullopt, session.StringAt(4));
}

TEST_F(Session, ALongerSearchNarrowsUntilATranslationChanges) {
    EXPECT_EQ(Rows{}, Filtered({L"Ab"}));
    EXPECT_EQ(Rows{}, Filtered({L"Abb"})); // narrowed from no rows
    session.StoreTranslation(2, L"Abbrechen");
    // The store made strings pass that the last rows did not hold: the next filter looks at all.
    EXPECT_EQ((Rows{2, 4}), Filtered({L"Abbr"}));
    EXPECT_EQ((Rows{2, 4}), Filtered({L"Abbre"}));
}

TEST_F(Session, EveryChangeIsJournaledAndTold) {
    EXPECT_FALSE(session.IsModified());
    EXPECT_EQ((Rows{2, 4}), session.StoreTranslation(2, L"Abbrechen")); // copied to 4, not to 6 or 7
    EXPECT_TRUE(session.StoreTranslation(2, L"Abbrechen").empty());     // the same text is no change
    session.StoreTranslation(3, std::nullopt);
    session.Import({{L"OK", L"D'accord"}});
    EXPECT_TRUE(session.IsModified());
    EXPECT_EQ(1, modifiedChanges);

    const std::vector<TranslationChange>& journal = session.Journal();
    ASSERT_EQ(4u, journal.size());
    auto expectChange = [&](size_t i, size_t string, OptString before, OptString after, ChangeCause cause) {
        EXPECT_EQ(string, journal[i].string) << i;
        EXPECT_EQ(before, journal[i].before) << i;
        EXPECT_EQ(after, journal[i].after) << i;
        EXPECT_EQ(cause, journal[i].cause) << i;
    };
    expectChange(0, 2, std::nullopt, L"Abbrechen", ChangeCause::Typed);
    expectChange(1, 4, std::nullopt, L"Abbrechen", ChangeCause::Propagated);
    expectChange(2, 3, L"Chercher", std::nullopt, ChangeCause::Typed);
    expectChange(3, 1, std::nullopt, L"D'accord", ChangeCause::Imported);
    EXPECT_EQ((std::vector<Rows>{{2, 4}, {3}, {1}}), told);
    EXPECT_EQ(4u, session.Checks().Total().translated); // 1, 2, 4, 7
    // "Abbrechen" of 2 and "Annuler" of 7 translate one original two ways.
    EXPECT_EQ(L"2/3, 1 problem", ShortProgressText(session.Checks().OfDialog(0)));

    ASSERT_EQ(SaveOutcome::Saved, session.Save());
    EXPECT_FALSE(session.IsModified());
    EXPECT_EQ(2, modifiedChanges);
}

TEST_F(Session, AProjectThatDoesNotOpenLeavesTheSessionAsItWas) {
    session.StoreTranslation(0, L"Einstellungen");
    Filtered({L"e"});
    const Rows rows = session.Rows();
    EXPECT_EQ(LoadStatus::ProjectUnreadable,
              session.Open(program.File(L"none.xml"), TranslationFile(), 1031).status);
    EXPECT_EQ(rows, session.Rows());
    EXPECT_TRUE(session.IsModified());
    EXPECT_EQ(1u, session.Journal().size());
}

TEST_F(Session, ChangesOfASessionThatEndedWithoutSavingAreRecoveredUntilSaved) {
    {
        TranslationSession crashed; // ends as a killed program does: without saving or dropping
        ASSERT_EQ(LoadStatus::Loaded, OpenSample(crashed));
        crashed.StoreTranslation(2, L"Abbrechen"); // and 4
        crashed.StoreTranslation(3, std::nullopt);
        crashed.StoreTranslation(2, L"Schlie\u00DFen\t&\\n");
    }
    for (int run = 0; run < 2; ++run) { // recovered changes survive a second crash
        TranslationSession next;
        ASSERT_EQ(LoadStatus::Loaded, OpenSample(next));
        const std::optional<RecoveryOffer> offer = next.PendingRecovery();
        ASSERT_TRUE(offer) << run;
        EXPECT_TRUE(offer->madeAgainstThisFile);
        EXPECT_EQ(3u, next.ApplyRecovery());
        EXPECT_EQ(L"Schlie\u00DFen\t&\\n", Loc(next, 2).value_or(L"-"));
        EXPECT_EQ(L"Abbrechen", Loc(next, 4).value_or(L"-"));
        EXPECT_EQ(std::nullopt, Loc(next, 3));
        EXPECT_TRUE(next.IsModified());
        EXPECT_EQ(ChangeCause::Recovered, next.Journal().back().cause);
        if (run == 1) {
            ASSERT_EQ(SaveOutcome::Saved, next.Save());
        }
    }
    TranslationSession saved;
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(saved));
    EXPECT_FALSE(saved.PendingRecovery());
    EXPECT_EQ(L"Abbrechen", Loc(saved, 4).value_or(L"-"));
}

TEST_F(Session, RecoveryMadeAgainstAnotherFileIsOnlyOfferedAndACutOffChangeIsLeftOut) {
    {
        TranslationSession crashed;
        ASSERT_EQ(LoadStatus::Loaded, OpenSample(crashed));
        crashed.StoreTranslation(0, L"Einstellungen");
        crashed.StoreTranslation(1, L"Gut");
    }
    WriteUtf8File(TranslationFile(), std::string(kTranslation) + "\n"); // another program's save
    const std::wstring recovery = RecoveryFile::PathFor(TranslationFile());
    std::string bytes = ReadBytes(recovery);
    WriteUtf8File(recovery, bytes.substr(0, bytes.size() - 4)); // the last change cut off mid-line
    TranslationSession next;
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(next));
    const std::optional<RecoveryOffer> offer = next.PendingRecovery();
    ASSERT_TRUE(offer);
    EXPECT_FALSE(offer->madeAgainstThisFile);
    EXPECT_EQ(1u, offer->translations);
    next.DiscardRecovery();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(recovery.c_str()));
    EXPECT_FALSE(next.IsModified());
}

TEST_F(Session, ASaveOverAnotherProgramsSaveMergesOrOverwritesAndKeepsItsFile) {
    auto translationIn = [](const std::wstring& file, const wchar_t* id, const wchar_t* attr) {
        CTEVEngine reader(nullptr);
        reader.LoadStrings(file.c_str());
        const wchar_t* loc = reader.FindString(id, attr);
        return std::wstring(loc ? loc : L"-");
    };
    TranslationSession other; // a second instance on the same file
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(other));
    session.StoreTranslation(2, L"Abbrechen");   // ours only (and 4)
    session.StoreTranslation(3, L"Suchen in:");  // both
    other.StoreTranslation(0, L"Einstellungen"); // theirs only
    other.StoreTranslation(3, L"Schauen in:");
    ASSERT_EQ(SaveOutcome::Saved, other.Save());
    const std::string theirs = ReadBytes(TranslationFile());

    EXPECT_EQ(SaveOutcome::ChangedOnDisk, session.Save());
    EXPECT_EQ(theirs, ReadBytes(TranslationFile())); // nothing written until the translator chose
    MergeReport merged;
    ASSERT_EQ(SaveOutcome::Saved, session.SaveMerging(merged));
    EXPECT_EQ(1u, merged.taken);
    EXPECT_EQ(1u, merged.conflicts);
    EXPECT_EQ(L"Einstellungen", translationIn(TranslationFile(), L"title", L"caption"));
    EXPECT_EQ(L"Abbrechen", translationIn(TranslationFile(), L"cancel2", L"label"));
    EXPECT_EQ(L"Suchen in:", translationIn(TranslationFile(), L"look", L"value"));
    EXPECT_EQ(theirs, ReadBytes(session.Model().LastSave().backupPath));
    EXPECT_EQ(ChangeCause::Merged, session.Journal().back().cause);

    other.StoreTranslation(1, L"Gut");
    EXPECT_EQ(SaveOutcome::ChangedOnDisk, other.Save()); // it is told of ours in turn
    ASSERT_EQ(SaveOutcome::Saved, other.SaveMerging(merged));
    EXPECT_EQ(SaveOutcome::ChangedOnDisk, session.Save());
    ASSERT_EQ(SaveOutcome::Saved, session.SaveOverwriting());
    EXPECT_EQ(L"-", translationIn(TranslationFile(), L"ok", L"label"));
    EXPECT_EQ(L"Gut", translationIn(session.Model().LastSave().backupPath, L"ok", L"label"));
}

TEST_F(Session, StringsSharingAnIdAndAttrAreOneTranslationStoredOnceAndSeenEverywhere) {
    program.AddProject(L"units", R"(<tevproject name="Units" dst="units.xml"><strings>
        <string id="cancel" attr="label" text="Cancel"/><string id="ok" attr="label" text="OK"/>
        <string id="cancel" attr="label" text="Cancel"/><string id="cancel" text="Cancel"/></strings>
        <files/></tevproject>)");
    const std::wstring project = program.Path() + L"projects\\units\\tevproject.xml";
    const std::wstring file = program.File(L"units.xml");
    TranslationSession units;
    ASSERT_EQ(LoadStatus::Loaded, units.Open(project, file, 1031).status);
    // Stored on the second occurrence, the translation is the first's too; without an attr the
    // third is another unit, filled by the forward copy.
    EXPECT_EQ((Rows{2, 0, 3}), units.StoreTranslation(2, L"Abbrechen"));
    ASSERT_EQ(2u, units.Journal().size());
    EXPECT_EQ(ChangeCause::Typed, units.Journal()[0].cause);
    EXPECT_EQ(ChangeCause::Propagated, units.Journal()[1].cause);
    ASSERT_EQ(SaveOutcome::Saved, units.Save());
    const std::string bytes = ReadBytes(file);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    const size_t first = text.find(L"id=\"cancel\" attr=\"label\"");
    EXPECT_NE(std::wstring::npos, first);
    EXPECT_EQ(std::wstring::npos, text.find(L"id=\"cancel\" attr=\"label\"", first + 1));

    TranslationSession reopened;
    ASSERT_EQ(LoadStatus::Loaded, reopened.Open(project, file, 1031).status);
    for (size_t s : {0u, 2u, 3u}) {
        EXPECT_EQ(L"Abbrechen", Loc(reopened, s).value_or(L"-")) << s;
    }
}

TEST_F(Session, ADialogsViewAndCountsHoldEachUnitOnceWhereverTheProjectListsIt) {
    program.AddProject(L"shared", R"(<tevproject name="Shared" dst="shared.xml"><strings>
        <string id="a1" text="Alpha one"/><string id="cancel" attr="label" text="Cancel"/>
        <string id="b1" text="Beta one"/><string id="cancel" attr="label" text="Cancel"/></strings>
        <files><f name="a.xml"/><f name="b.xml"/></files></tevproject>)",
                       {{L"a.xml", R"(<dialog caption="A" locid="a1"><button locid="cancel"/></dialog>)"},
                        {L"b.xml", R"(<dialog caption="B" locid="b1"><button locid="cancel"/></dialog>)"}});
    TranslationSession shared;
    ASSERT_EQ(LoadStatus::Loaded,
              shared.Open(program.Path() + L"projects\\shared\\tevproject.xml", program.File(L"s.xml"), 1031)
                  .status);
    shared.SetFilter({std::nullopt, 1});
    EXPECT_EQ((Rows{1, 2}), shared.Rows()); // B's own string and the one "Cancel"
    shared.StoreTranslation(3, L"Abbrechen");
    EXPECT_EQ(L"1/2", ShortProgressText(shared.Checks().OfDialog(0)));
    EXPECT_EQ(L"1/2", ShortProgressText(shared.Checks().OfDialog(1)));
    EXPECT_EQ(3u, shared.Checks().Total().strings);
    EXPECT_EQ(1u, shared.Checks().Total().translated);
    EXPECT_EQ(L"A, B", DialogsText(shared.Model(), shared.Checks().DialogsOf(shared.Model(), 3)));
}

TEST_F(Session, ATranslationMadeFromAnotherWordingNeedsReviewUntilStoredAgain) {
    WriteUtf8File(TranslationFile(), R"(<strings><string id="look" attr="value" text="Look:" loc="Chercher"/>
        <string id="cancel4" attr="label" text="Cancel" loc="Annuler"/></strings>)");
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(session));
    EXPECT_TRUE(session.Model().Strings()[3].NeedsReview());
    EXPECT_FALSE(session.Model().Strings()[7].NeedsReview()); // made from today's original
    EXPECT_EQ(1u, session.Checks().Total().needReview);
    EXPECT_EQ(L"2 of 8 translated, 1 problem, 1 need review", ProgressText(session.Checks().Total()));
    EXPECT_EQ(Rows{3}, Filtered({std::nullopt, -1, ShownStrings::NeedsReview}));
    const std::vector<Finding> all = session.Checks().AllFindings(session.Model());
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(L"original changed: \"Look:\" \u2192 \"Look in:\"", all[0].what);

    session.StoreTranslation(0, L"Einstellungen"); // a save before the review keeps the old wording
    ASSERT_EQ(SaveOutcome::Saved, session.Save());
    EXPECT_NE(std::string::npos, ReadBytes(TranslationFile()).find(std::string("L\0o\0o\0k\0:\0\"", 11)));

    EXPECT_EQ(Rows{3}, session.StoreTranslation(3, L"Chercher")); // accepted as it is
    EXPECT_EQ(ChangeCause::Reviewed, session.Journal().back().cause);
    EXPECT_FALSE(session.Model().Strings()[3].NeedsReview());
    EXPECT_EQ(0u, session.Checks().Total().needReview);
    { // the review survives a crash before the save
        TranslationSession afterCrash;
        ASSERT_EQ(LoadStatus::Loaded, OpenSample(afterCrash));
        afterCrash.ApplyRecovery();
        EXPECT_FALSE(afterCrash.Model().Strings()[3].NeedsReview());
    }
    ASSERT_EQ(SaveOutcome::Saved, session.Save());
    TranslationSession reopened;
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(reopened));
    EXPECT_FALSE(reopened.Model().Strings()[3].NeedsReview());
}

TEST_F(Session, UndoAndRedoTakeBackOneActionAtATimeAcrossASave) {
    WriteUtf8File(TranslationFile(), R"(<strings><string id="look" attr="value" text="Look:" loc="Chercher"/>
        <string id="cancel4" attr="label" loc="Annuler"/></strings>)");
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(session));
    EXPECT_FALSE(session.CanUndo());
    session.StoreTranslation(2, L"Abbrechen"); // copied forward to 4
    session.StoreTranslation(3, L"Chercher");  // accepted as reviewed
    session.Import({{L"OK", L"D'accord"}});
    ASSERT_EQ(SaveOutcome::Saved, session.Save());

    const std::optional<UndoneAction> import = session.Undo();
    ASSERT_TRUE(import);
    EXPECT_EQ(L"Undone: translation of ok (1 string)", UndoneText(session.Model(), *import, false));
    EXPECT_TRUE(session.IsModified());
    EXPECT_EQ(std::nullopt, Loc(session, 1));
    session.Undo();
    EXPECT_TRUE(session.Model().Strings()[3].NeedsReview());
    const std::optional<UndoneAction> store = session.Undo();
    ASSERT_TRUE(store);
    EXPECT_EQ(L"Undone: translation of cancel (2 strings)", UndoneText(session.Model(), *store, false));
    EXPECT_EQ(std::nullopt, Loc(session, 2));
    EXPECT_EQ(std::nullopt, Loc(session, 4));
    EXPECT_EQ(L"Annuler", Loc(session, 7).value_or(L"-"));
    EXPECT_FALSE(session.Undo());

    EXPECT_EQ(2u, session.Redo()->strings);
    EXPECT_EQ(L"Abbrechen", Loc(session, 4).value_or(L"-"));
    EXPECT_EQ(ChangeCause::Redone, session.Journal().back().cause);
    session.StoreTranslation(0, L"Einstellungen"); // a new action: nothing left to redo
    EXPECT_FALSE(session.CanRedo());
    session.Undo();
    EXPECT_EQ(std::nullopt, Loc(session, 0));
    EXPECT_EQ(L"Abbrechen", Loc(session, 2).value_or(L"-"));
}

TEST_F(Session, ReplaceAllChangesEveryMatchingUnitAsOneUndoStep) {
    session.StoreTranslation(0, L"&Suche Einstellungen");
    session.StoreTranslation(2, L"Suche abbrechen"); // and 4
    const ReplaceQuery query{L"suche", L"Finde"};
    const std::vector<PlannedReplacement> planned = session.PlanReplace(query);
    ASSERT_EQ(3u, planned.size()); // 0, 2 and its copy 4
    EXPECT_EQ(L"&Finde Einstellungen", planned[0].after);
    EXPECT_EQ(3u, session.ReplaceAll(query));
    EXPECT_EQ(L"Finde abbrechen", Loc(session, 4).value_or(L"-"));
    EXPECT_EQ(ChangeCause::Replaced, session.Journal().back().cause);
    EXPECT_EQ(3u, session.Undo()->strings);
    EXPECT_EQ(L"Suche abbrechen", Loc(session, 4).value_or(L"-"));
    EXPECT_EQ(L"&Suche Einstellungen", Loc(session, 0).value_or(L"-"));
}

TEST_F(Session, SuggestionsComeFromOtherProjectsFilesAndFromThisProjectAsItIsNow) {
    const std::wstring other = program.File(L"other.xml");
    WriteUtf8File(other, R"(<strings><string id="q" text="Settings" loc="Einstellungen"/></strings>)");
    session.SetMemoryFiles({{other, L"Other"}, {TranslationFile(), L"Sample"}});
    ASSERT_EQ(1u, session.Suggestions(0).size());
    EXPECT_EQ(L"Other", session.Suggestions(0)[0].origin);
    session.StoreTranslation(7, L"Abbrechen"); // the project's own file is not read: the model is
    const std::vector<Suggestion> cancel = session.Suggestions(2);
    ASSERT_EQ(1u, cancel.size());
    EXPECT_EQ(L"Abbrechen", cancel[0].translation);
    EXPECT_EQ(L"this project", cancel[0].origin);
}

TEST(ForwardCopy, IsSaidOnlyOfStringsOutsideTheStoredUnit) {
    const ProjectModel model({{L"a", std::nullopt, L"X", std::nullopt},
                              {L"a", std::nullopt, L"X", std::nullopt},
                              {L"b", std::nullopt, L"X", std::nullopt}},
                             {});
    EXPECT_EQ(L"", ForwardCopyText(model, 0, {0, 1}));
    EXPECT_EQ(L"Also filled 1 string with the same original", ForwardCopyText(model, 0, {0, 1, 2}));
}

// "Chercher" lost the colon of "Look in:"; the translator says it is meant so.
TEST_F(Session, ADismissedFindingStaysDismissedOnReopeningUntilItsTranslationChanges) {
    const std::vector<Finding> findings = session.Checks().FindingsOf(session.Model(), 3);
    ASSERT_EQ(1u, findings.size());
    EXPECT_EQ(L"punctuation", findings[0].kind);
    ASSERT_TRUE(session.SetDismissed(findings[0], true).Saved());
    EXPECT_EQ(0u, session.Checks().Total().problems);
    EXPECT_FALSE(session.IsModified()); // the translation file is not touched
    EXPECT_TRUE(FileExists(Dismissals::PathFor(TranslationFile())));

    TranslationSession reopened;
    ASSERT_EQ(LoadStatus::Loaded, OpenSample(reopened));
    EXPECT_EQ(0u, reopened.Checks().Total().problems);
    EXPECT_FALSE(reopened.Checks().HasFindings(3));
    std::vector<Finding> all = reopened.Checks().AllFindings(reopened.Model());
    ASSERT_EQ(1u, all.size());
    EXPECT_TRUE(all[0].dismissed);
    EXPECT_EQ(L"No findings (1 dismissed)", FindingsSummary(all));

    reopened.StoreTranslation(3, L"Suchen in");
    EXPECT_EQ(1u, reopened.Checks().Total().problems);
    reopened.StoreTranslation(3, L"Chercher"); // back to the text dismissed for
    EXPECT_EQ(0u, reopened.Checks().Total().problems);
    all = reopened.Checks().AllFindings(reopened.Model());
    ASSERT_TRUE(reopened.SetDismissed(all[0], false).Saved());
    EXPECT_EQ(1u, reopened.Checks().Total().problems);
    EXPECT_FALSE(FileExists(Dismissals::PathFor(TranslationFile()))); // none left
}

// A pseudo-translation comes from the originals and is never written, whatever is done with it.
TEST_F(Session, APseudoTranslationIsMadeFromTheOriginalsAndNeverWritten) {
    const std::wstring pseudoFile = program.File(L"1281\\sample\\strings.xml");
    ASSERT_EQ(
        LoadStatus::Loaded,
        session.Open(program.Path() + L"projects\\sample\\tevproject.xml", pseudoFile, kPseudoLanguageId)
            .status);
    EXPECT_TRUE(session.IsPseudo());
    EXPECT_EQ(PseudoTranslate(L"Look in:"), Loc(session, 3));
    EXPECT_EQ(Loc(session, 2), Loc(session, 4));
    EXPECT_EQ(0u, session.Checks().Total().problems); // the made-up texts pass every text check
    session.StoreTranslation(3, L"Suchen:");
    EXPECT_FALSE(session.IsModified());
    EXPECT_EQ(SaveOutcome::Saved, session.Save());
    ASSERT_TRUE(session.SetDismissed({3, std::nullopt, L"", L"clipped", L"x"}, true).Saved());
    EXPECT_FALSE(FileExists(program.File(L"1281")));
    EXPECT_TRUE(session.Model().TranslationPath().empty());
}
