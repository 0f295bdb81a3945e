// The start shared by the record dump and the window, in the order both rely on: the folder
// of the files before the instance lock, stale temporaries removed only by the instance that
// holds it. The install folders come from the build (JOTCRATE_INSTALLED_BINDIR, ...).
#include "app/Startup.h"

#include "app/AppState.h"
#include "app/StringTable.h"
#include "platform/Files.h"
#include "platform/Instance.h"
#include "store/DataFile.h"

namespace {

std::string FolderPart(const std::string& path) {
    std::size_t cut = path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

bool IsInstalledCopy(const std::string& programPath, const std::string& installedFolder) {
    std::string folder = CanonicalPath(FolderPart(programPath).empty() ? "." : FolderPart(programPath));
    return !folder.empty() && folder == CanonicalPath(installedFolder);
}

std::string ProgramPath(const char* argv0) {
    std::string path = ExecutablePath();
    return path.empty() ? argv0 : path;
}

std::string WindowLibraryPath(const std::string& programPath) {
    std::string folder = IsInstalledCopy(programPath, JOTCRATE_INSTALLED_BINDIR) ? JOTCRATE_INSTALLED_LIBDIR "/"
                                                                                  : FolderPart(programPath);
    return folder + JOTCRATE_WINDOW_LIBRARY;
}

std::string FilesFolder(const std::string& programPath, bool installed) {
    return installed ? UserDataHome() + "/" + Str(kStrDataFolderName) + "/" : FolderPart(programPath);
}

bool BeginRun(const char* argv0) {
    UnscrambleStrings();
    g_app.bringToFrontMessage = RegisterMessage(Str(kStrBringToFrontName));
    ResetAppState();
    std::string program = ProgramPath(argv0);
    g_app.installedCopy = IsInstalledCopy(program, JOTCRATE_INSTALLED_BINDIR);
    std::string folder = FilesFolder(program, g_app.installedCopy);
    // A failure here shows at the first file the start needs, with its reason.
    if (g_app.installedCopy) MakePrivateFolders(folder.substr(0, folder.size() - 1));
    ResolvePaths(folder);
    if (!ClaimSingleInstance(Str(kStrInstanceName))) {
        SendToFirstInstance(Str(kStrInstanceName), g_app.bringToFrontMessage);
        return false;
    }
    RemoveStaleTemporaries();
    return true;
}
