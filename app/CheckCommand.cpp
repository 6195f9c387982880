#include "CheckCommand.h"

#include "COpenDlg.h"
#include "Dismissals.h"
#include "LineWriter.h"
#include "ProjectChecks.h"
#include "ProjectModel.h"
#include "Settings.h"
#include "TranslationSession.h"

#include <windows.h>

#include <shlwapi.h>

namespace {

struct CheckRequest {
    std::wstring project;
    int language = -1;
    bool pseudo = false;              // pseudo-translated instead of a language's translation
    std::optional<int> growthPercent; // of the pseudo-translation, flat; absent: by length
    bool all = false;                 // dismissed findings too
    OptString reportPath;
};

const wchar_t kUsage[] =
    L"Usage: tevtranslator.exe --check PROJECT LANGUAGE [--all] [--report FILE]\n"
    L"       tevtranslator.exe --check PROJECT --pseudo [PERCENT] [--report FILE]\n"
    L"PROJECT: a folder under projects\\ or the path of a project file; LANGUAGE: a numeric language id "
    L"such as 1031; --all: findings marked as intended too; --pseudo: every dialog laid out with a "
    L"pseudo-translation, grown by PERCENT or by the text's length.";

std::optional<int> ParseNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

bool IsOption(const std::wstring& arg, const wchar_t* option) {
    return CompareStringOrdinal(arg.c_str(), -1, option, -1, TRUE) == CSTR_EQUAL;
}

std::optional<CheckRequest> ParseRequest(const std::vector<std::wstring>& args) {
    constexpr int kMostGrowth = 1000;
    if (args.size() < 3) {
        return std::nullopt;
    }
    CheckRequest request;
    request.project = args[1];
    size_t next = 3;
    if (IsOption(args[2], L"--pseudo")) {
        request.pseudo = true;
        if (next < args.size() && ParseNumber(args[next])) {
            request.growthPercent = ParseNumber(args[next++]);
            if (*request.growthPercent > kMostGrowth) {
                return std::nullopt;
            }
        }
    } else if (const std::optional<int> language = ParseNumber(args[2])) {
        request.language = *language;
    } else {
        return std::nullopt;
    }
    for (; next < args.size(); ++next) {
        if (IsOption(args[next], L"--all") && !request.all) {
            request.all = true;
        } else if (IsOption(args[next], L"--report") && !request.reportPath && next + 1 < args.size()) {
            request.reportPath = args[++next];
        } else {
            return std::nullopt;
        }
    }
    return request;
}

int Refuse(const std::wstring& why) {
    LineWriter(STD_ERROR_HANDLE).Write(why);
    return CheckUnreadable;
}

std::wstring ProjectFileOf(const std::wstring& project, const std::wstring& programFolder) {
    const DWORD attributes = GetFileAttributesW(project.c_str());
    const bool isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    const bool isPath = isFile || project.find_first_of(L"\\/:") != std::wstring::npos;
    return isPath ? project : programFolder + L"projects\\" + project + L"\\tevproject.xml";
}

std::wstring FindingLine(const ProjectModel& model, const Finding& finding) {
    // The id first, so that scripts find a string's lines by it.
    const StringItem& item = model.Strings()[finding.string];
    std::wstring line = item.attr ? item.id + L" [" + *item.attr + L"]" : item.id;
    if (finding.dialog && *finding.dialog < model.Dialogs().size()) {
        line += L" in \"" + model.Dialogs()[*finding.dialog].Caption() + L"\"";
    }
    return line + L": " + finding.what;
}

// Loads the project, pseudo-translated or with the language's translation and what was dismissed
// of it; absent when it did, else the exit code after telling why not.
std::optional<int> LoadChecked(const CheckRequest& request, const std::wstring& projectFile,
                               const ProjectItem& item, const std::wstring& programFolder,
                               ProjectModel& model, Dismissals& dismissals) {
    if (request.pseudo) {
        if (LoadPseudoTranslated(model, projectFile, request.growthPercent).status != LoadStatus::Loaded) {
            return Refuse(L"The project could not be read: " + projectFile);
        }
        return std::nullopt;
    }
    const std::wstring translationFile =
        TranslationPath(Settings(programFolder + L"settings.ini").OutputFolder(), request.language, item.dst);
    if (!PathFileExistsW(translationFile.c_str())) {
        return Refuse(L"There is no translation file for language " + std::to_wstring(request.language) +
                      L": " + translationFile);
    }
    const LoadResult loaded = model.Load(projectFile, translationFile, request.language);
    if (loaded.status == LoadStatus::TranslationInaccessible) {
        return Refuse(L"The translation file cannot be read now (" +
                      SystemErrorText(loaded.translationError) + L"): " + translationFile);
    }
    if (loaded.status != LoadStatus::Loaded) {
        return Refuse(L"The project could not be read: " + projectFile);
    }
    if (loaded.translationUnreadable) {
        return Refuse(L"The translation file could not be read: " + translationFile);
    }
    if (!request.all) {
        dismissals = Dismissals::Read(translationFile);
    }
    return std::nullopt;
}

int RunCheck(const std::vector<std::wstring>& args, const std::wstring& programFolder) {
    const std::optional<CheckRequest> request = ParseRequest(args);
    if (!request) {
        return Refuse(kUsage);
    }
    const std::wstring projectFile = ProjectFileOf(request->project, programFolder);
    const std::optional<ProjectItem> item = ReadProjectItem(projectFile, L"");
    if (!item) {
        return Refuse(L"The project could not be read (a tevproject.xml with \"name\" and \"dst\"): " +
                      projectFile);
    }
    ProjectModel model;
    Dismissals dismissals;
    if (const std::optional<int> refused =
            LoadChecked(*request, projectFile, *item, programFolder, model, dismissals)) {
        return *refused;
    }

    LineWriter out = request->reportPath ? LineWriter(*request->reportPath) : LineWriter(STD_OUTPUT_HANDLE);
    if (request->reportPath && !out.Usable()) {
        return Refuse(L"The report file could not be written: " + *request->reportPath);
    }
    ProjectChecks checks;
    checks.SetDismissals(&dismissals);
    const std::vector<Finding> findings = RunEveryCheck(model, checks);
    for (const Finding& finding : findings) {
        if (!finding.dismissed) {
            out.Write(FindingLine(model, finding));
        }
    }
    if (!request->pseudo) {
        out.Write(ProgressText(checks.Total()));
    }
    out.Write(FindingsSummary(findings));
    const bool found =
        std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return !f.dismissed; });
    return found ? CheckFindings : CheckClean;
}

} // namespace

std::vector<Finding> RunEveryCheck(const ProjectModel& model, ProjectChecks& checks) {
    checks.Reset(model);
    checks.LayOutStaleDialogs(model); // every dialog: none was laid out yet
    return checks.AllFindings(model);
}

bool IsCheckCommand(const std::vector<std::wstring>& args) {
    return !args.empty() && CompareStringOrdinal(args[0].c_str(), -1, L"--check", -1, TRUE) == CSTR_EQUAL;
}

// Nothing escapes the command as an exception: a project too big for memory is refused in words.
int RunCheckCommand(const std::vector<std::wstring>& args, const std::wstring& programFolder) {
    try {
        return RunCheck(args, programFolder);
    } catch (const std::bad_alloc&) {
        return Refuse(L"The check ran out of memory.");
    } catch (...) {
        return Refuse(L"The check failed unexpectedly.");
    }
}
