#include "CheckCommand.h"

#include "COpenDlg.h"
#include "LineWriter.h"
#include "ProjectChecks.h"
#include "ProjectModel.h"
#include "Settings.h"

#include <windows.h>

#include <shlwapi.h>

namespace {

struct CheckRequest {
    std::wstring project;
    int language = -1;
    OptString reportPath;
};

const wchar_t kUsage[] = L"Usage: tevtranslator.exe --check PROJECT LANGUAGE [--report FILE]\n"
                         L"PROJECT: a folder under projects\\ or the path of a project file; "
                         L"LANGUAGE: a numeric language id such as 1031.";

std::optional<int> ParseLanguage(const std::wstring& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

std::optional<CheckRequest> ParseRequest(const std::vector<std::wstring>& args) {
    if (args.size() != 3 && args.size() != 5) {
        return std::nullopt;
    }
    const std::optional<int> language = ParseLanguage(args[2]);
    if (!language) {
        return std::nullopt;
    }
    CheckRequest request{args[1], *language, std::nullopt};
    if (args.size() == 5) {
        if (CompareStringOrdinal(args[3].c_str(), -1, L"--report", -1, TRUE) != CSTR_EQUAL) {
            return std::nullopt;
        }
        request.reportPath = args[4];
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
    const std::wstring translationFile = TranslationPath(
        Settings(programFolder + L"settings.ini").OutputFolder(), request->language, item->dst);
    if (!PathFileExistsW(translationFile.c_str())) {
        return Refuse(L"There is no translation file for language " + std::to_wstring(request->language) +
                      L": " + translationFile);
    }
    ProjectModel model;
    const LoadResult loaded = model.Load(projectFile, translationFile, request->language);
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

    LineWriter out = request->reportPath ? LineWriter(*request->reportPath) : LineWriter(STD_OUTPUT_HANDLE);
    if (request->reportPath && !out.Usable()) {
        return Refuse(L"The report file could not be written: " + *request->reportPath);
    }
    ProjectChecks checks;
    const std::vector<Finding> findings = RunEveryCheck(model, checks);
    for (const Finding& finding : findings) {
        out.Write(FindingLine(model, finding));
    }
    out.Write(ProgressText(checks.Total()));
    return findings.empty() ? CheckClean : CheckFindings;
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
