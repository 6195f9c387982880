// The translation check for build pipelines: "--check PROJECT LANGUAGE [--all] [--report FILE]" runs
// every check of the project without a window and ends with an exit code a script can test;
// "--check PROJECT --pseudo [PERCENT]" lays every dialog out pseudo-translated, before any
// translation exists.
#pragma once

#include "ProjectChecks.h"

#include <optional>
#include <string>
#include <vector>

enum CheckExitCode {
    CheckClean = 0,      // nothing found
    CheckFindings = 1,   // at least one finding
    CheckUnreadable = 2, // the project, the translation or the command line could not be used
};

// Whether the program's arguments (after the program's own name) ask for the check.
bool IsCheckCommand(const std::vector<std::wstring>& args);

// Every text check and every dialog's layout check of the model, as the command runs them, with the
// dismissals checks was given marked; checks holds their counts afterwards.
std::vector<Finding> RunEveryCheck(const ProjectModel& model, ProjectChecks& checks);

// Runs the check the arguments describe. PROJECT is a folder name under programFolder's "projects\"
// or the path of a project file; LANGUAGE the numeric language id. One line per finding not
// dismissed (with --all, every one) and then a summary by kind go to the report file when one is named, else
// to standard output or the console the program was started from; why the check could not run goes to
// standard error or that console.
int RunCheckCommand(const std::vector<std::wstring>& args, const std::wstring& programFolder);
