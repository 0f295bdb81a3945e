// Program entry: --help and --version answer at once (no display, no instance); -d writes
// the record dump here, without the toolkit; anything else runs the window, which lives in a
// library loaded only then. Either way a second instance hands over to the first.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "base/AppState.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "core/store/RecordDump.h"
#include "platform/Files.h"
#include "platform/SystemNames.h"
#include "platform/WindowLibrary.h"

namespace {

// Code beside the program is loaded only from a folder no other user can write into: there, they
// could put a window library, or the toolkit's plugins, of their own making.
bool IsProgramFolderSafe(const std::string& program) {
    std::string folder = FolderPart(program);
    return !IsFolderOthersCanWrite(folder.empty() ? "." : folder) &&
           !IsFolderOthersCanWrite(WindowLibraryPath(program));
}

// A message box where the window library and a display are there, else standard error; beside
// a running window always standard error, since a box there would take the user's keys.
void TellDumpFailure(const std::string& text, bool besideWindow = false) {
    WindowEntries window{};
    std::string reason;
    std::string program = ProgramPath("");
    if (!besideWindow && IsProgramFolderSafe(program) &&
        FindWindowEntries(WindowLibraryPath(program), &window, &reason))
        window.showNotice(g_app.programTitle.c_str(), text.c_str());
    else std::fprintf(stderr, "%s: %s\n", g_app.programTitle.c_str(), text.c_str());
}

int RunRecordDump(bool besideWindow) {
    switch (WriteRecordDump(besideWindow)) {
        case kDumpWritten:
            return 0;
        case kDumpDataFileError:
            TellDumpFailure(DataFileErrorText(), besideWindow);
            return 1;
        case kDumpDamaged:
            TellDumpFailure(DamagedDataFileText(DataFileSize(g_app.dataPath)) + Str(kStrDumpedWholeRecords),
                            besideWindow);
            return 1;
        case kDumpOversized:
            TellDumpFailure(OversizedDataFileText(DataFileSize(g_app.dataPath)), besideWindow);
            return 1;
        case kDumpFailed:
            TellDumpFailure(Str(kStrDumpFailed) + "\n" + LastFileError(), besideWindow);
            return 1;
    }
    return 1;
}

int RunWindow(int argc, char** argv) {
    // The toolkit would abort without a display; say so instead.
    if (!DisplayNamed()) {
        UnscrambleStrings();
        std::fprintf(stderr, "%s: %s\n", Str(kStrProgramTitle).c_str(), Str(kStrNoDisplay).c_str());
        return 1;
    }
    WindowEntries window{};
    std::string reason;
    std::string program = ProgramPath(argv[0]);
    if (!IsProgramFolderSafe(program)) {
        UnscrambleStrings();
        std::fprintf(stderr, "%s: %s%s\n", Str(kStrProgramTitle).c_str(), Str(kStrUnsafeFolder).c_str(),
                     program.c_str());
        return 1;
    }
    if (FindWindowEntries(WindowLibraryPath(program), &window, &reason)) return window.run(argc, argv);
    UnscrambleStrings();
    std::fprintf(stderr, "%s: %s%s\n", Str(kStrProgramTitle).c_str(), Str(kStrWindowLibraryFailed).c_str(),
                 reason.c_str());
    return 1;
}

// Status 1 when standard output could not take the text (a closed pipe, a full disk).
int Print(const std::string& text) { return std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0; }

int PrintHelp(const char* argv0) {
    UnscrambleStrings();
    std::string program = ProgramPath(argv0);
    std::string folder = FilesFolder(program, IsInstalledCopy(program, JOTCRATE_INSTALLED_BINDIR));
    std::string bindir = JOTCRATE_INSTALLED_BINDIR;
    std::string also = bindir == "/usr/bin" || bindir == "/usr/local/bin" ? std::string() : Str(kStrUsageOr) + bindir;
    std::string where =
        HasInstalledPlace() ? Str(kStrUsageInstalled) + also + Str(kStrUsageMiddle) : Str(kStrUsagePortable);
    return Print(Str(kStrUsage) + where + folder + "\n");
}

// Usage goes to standard error with status 2, as other command-line programs do, so that a
// mistyped option in a script is not taken for a window that opened.
int PrintUnknownOption(const char* option) {
    UnscrambleStrings();
    std::string usage = Str(kStrUsage);
    std::fprintf(stderr, "%s: %s%s\n\n%s\n", Str(kStrProgramTitle).c_str(), Str(kStrUnknownOption).c_str(), option,
                 usage.substr(0, usage.find('\n')).c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (IsFirstArgument(argc, argv, "--help")) return PrintHelp(argv[0]);
    if (IsFirstArgument(argc, argv, "--version")) return Print("Jotcrate " JOTCRATE_VERSION "\n");
    if (IsUnknownOption(argc, argv)) return PrintUnknownOption(argv[1]);
    if (!IsDumpSwitch(argc, argv)) return RunWindow(argc, argv);
    // Beside a running window the dump reads what it last saved, and leaves the window be.
    bool besideWindow = false;
    switch (BeginRun(argv[0], false)) {
        case kRunFirst:
            break;
        case kRunHandedOver:
            besideWindow = true;
            break;
        case kRunNoLock:
            TellDumpFailure(Str(kStrNoInstanceLock));
            return 1;
        case kRunUnsafeDataFolder:
            TellDumpFailure(UnsafeDataFolderText());
            return 1;
    }
    KeepFreedMemory();
    return RunRecordDump(besideWindow);
}
