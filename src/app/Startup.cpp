// The start shared by the record dump and the window, in the order both rely on: the string
// table and the file layer's texts from it first, the folder of the files before the instance
// lock, stale temporaries removed only by the instance that holds it. The install folders come
// from the build (JOTCRATE_INSTALLED_BINDIR, ...).
#include "app/Startup.h"

#include "base/AppState.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"
#include "platform/Instance.h"
#include "platform/SystemNames.h"

bool IsInstalledCopy(const std::string& programPath, const std::string& installedFolder) {
    if (!HasInstalledPlace()) return false;
    std::string folder = CanonicalPath(FolderPart(programPath).empty() ? "." : FolderPart(programPath));
    if (folder.empty()) return false;
    // The system's own program folders count too, whatever folder the build was made for.
    for (const std::string& system : {installedFolder, std::string("/usr/bin"), std::string("/usr/local/bin")})
        if (folder == CanonicalPath(system)) return true;
    return false;
}

std::string ProgramPath(const char* argv0) {
    std::string path = ExecutablePath();
    return path.empty() ? argv0 : path;
}

std::string WindowLibraryPath(const std::string& programPath) {
    std::string beside = FolderPart(programPath) + JOTCRATE_WINDOW_LIBRARY;
    if (StatPath(beside).kind == kFileRegular || !IsInstalledCopy(programPath, JOTCRATE_INSTALLED_BINDIR))
        return beside;
    return JOTCRATE_INSTALLED_LIBDIR "/" JOTCRATE_WINDOW_LIBRARY;
}

std::string UnsafeDataFolderText() { return Str(kStrUnsafeDataFolder) + g_app.programFolder; }

std::string FilesFolder(const std::string& programPath, bool installed) {
    return installed ? UserDataHome() + "/" + Str(kStrDataFolderName) + "/" : FolderPart(programPath);
}

RunStart BeginRun(const char* argv0, bool bringToFront) {
    UnscrambleStrings();
    HandTextsToFileLayer();
    g_app.bringToFrontMessage = RegisterMessage(Str(kStrBringToFrontName));
    ResetAppState();
    std::string program = ProgramPath(argv0);
    g_app.installedCopy = IsInstalledCopy(program, JOTCRATE_INSTALLED_BINDIR);
    std::string folder = FilesFolder(program, g_app.installedCopy);
    // A folder that cannot be made shows as a data file that cannot be made in it.
    if (g_app.installedCopy) {
        std::string dataFolder = folder.substr(0, folder.size() - 1);
        if (MakePrivateFolders(dataFolder) && IsFolderOthersCanWrite(dataFolder)) {
            g_app.programFolder = folder;
            return kRunUnsafeDataFolder;
        }
    }
    ResolvePaths(folder);
    switch (ClaimSingleInstance(Str(kStrInstanceName), folder)) {
        case kInstanceFirst:
            break;
        case kInstanceSecond:
            if (bringToFront) SendToFirstInstance(Str(kStrInstanceName), g_app.bringToFrontMessage);
            return kRunHandedOver;
        case kInstanceLockFailed:
            return kRunNoLock;
    }
    RemoveStaleTemporaries();
    return kRunFirst;
}
