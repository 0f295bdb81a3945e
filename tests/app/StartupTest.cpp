// Start-up pieces: the string table, the option defaults, the folder of the files (beside a
// portable copy, the user's data folder for an installed one) and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "base/AppState.h"
#include "base/StringTable.h"
#include "platform/Files.h"

namespace {

TEST(StringTable, FirstEntryIsEmptyAndTextsAreReadable) {
    EXPECT_EQ("", Str(kStrEmpty));
    EXPECT_EQ("Jotcrate", Str(kStrProgramTitle));
    EXPECT_EQ("Jotcrate.jcd", Str(kStrDataFileName));
    EXPECT_EQ("\r\n", Str(kStrLineBreak));
    EXPECT_NE(Str(kStrBackupFileName), Str(kStrDataFileName));
    EXPECT_NE("default", Str(kStrDefaultTitle));  // else every untitled record would be the default one
    EXPECT_EQ(Str(kStrOptionsTitle), "Options");
    UnscrambleStrings();  // a second call must not scramble them again
    EXPECT_EQ("Jotcrate", Str(kStrProgramTitle));
}

TEST(StringTable, ProgramHoldsOnlyTheScrambledTexts) {
    for (const char* path : {JOTCRATE_BINARY, JOTCRATE_WINDOW_LIBRARY}) {
        std::string program = ReadFileBytes(path);
        ASSERT_GT(program.size(), 10000u);
        for (StringId id : {kStrDataFileErrorPrefix, kStrDeleteQuestionSuffix, kStrBringToFrontName})
            EXPECT_EQ(std::string::npos, program.find(Str(id))) << path << ": " << Str(id);
    }
}

TEST(AppState, DefaultsBeforeAnySettingsAreRead) {
    ResetAppState();
    const OptionSet& o = g_app.options;
    EXPECT_EQ(1, o.wordwrap);
    EXPECT_EQ(0, o.onTop + o.autoBackup + o.readOnly + o.hideTooltips + o.desktopShortcut);
    EXPECT_TRUE(o.windowX == 24 && o.windowY == 24 && o.windowWidth == 470 && o.windowHeight == 300);
    EXPECT_EQ(100, o.zoom);
    EXPECT_EQ(0xFFFFFF, o.backgroundColour);
    EXPECT_EQ(10, o.fontSize);
    EXPECT_EQ(Str(kStrDefaultFontName), o.fontName);
    EXPECT_EQ(1, g_app.running);
    EXPECT_EQ(0, g_app.unsavedEdit + g_app.recordsDeleted + g_app.settingsChanged + g_app.fontChanged);
    EXPECT_EQ("Jotcrate", g_app.programTitle);
}

TEST(AppState, PathsAreTheProgramFolderPlusAName) {
    struct Case {
        std::string program;
        std::string folder;
    } cases[] = {
        {"/home/ann/tools/jotcrate", "/home/ann/tools/"},
        {"/jotcrate", "/"},
        {"\\\\?\\C:\\Tools\\Jotcrate.exe", "C:\\Tools\\"},
        {"C:/mixed\\sep/Jotcrate.exe", "C:/mixed\\sep/"},
    };
    for (const Case& c : cases) {
        ResolvePaths(c.program);
        EXPECT_EQ(c.folder, g_app.programFolder);
        EXPECT_EQ(c.folder + "Jotcrate.jcd", g_app.dataPath);
        EXPECT_EQ(c.folder + "Jotcrate.bak", g_app.backupPath);
        EXPECT_EQ(c.folder + "Jotcrate.ini", g_app.settingsPath);
    }
}

// Only the folder the package installs to makes a copy installed, however it is reached; a
// copy anywhere else, or where the install folder does not exist, is portable.
TEST(AppState, InstalledOnlyWhereThePackagePutsIt) {
    TestFolder folder = MakeTestFolder();
    std::string bin = folder.path + "bin", other = folder.path + "other", link = folder.path + "link";
    mkdir(bin.c_str(), 0700);
    mkdir(other.c_str(), 0700);
    ASSERT_EQ(0, symlink(bin.c_str(), link.c_str()));
    EXPECT_TRUE(IsInstalledCopy(bin + "/jotcrate", bin));
    EXPECT_TRUE(IsInstalledCopy(link + "/jotcrate", bin));
    EXPECT_TRUE(IsInstalledCopy(bin + "/jotcrate", link + "/"));
    EXPECT_TRUE(IsInstalledCopy(other + "/../bin/jotcrate", bin));
    EXPECT_FALSE(IsInstalledCopy(other + "/jotcrate", bin));
    EXPECT_FALSE(IsInstalledCopy(folder.path + "gone/jotcrate", folder.path + "gone"));
    EXPECT_FALSE(IsInstalledCopy(bin + "/jotcrate", ""));
    EXPECT_TRUE(IsInstalledCopy("/usr/bin/jotcrate", ""));  // wherever the build meant to go
    // The window library is taken from beside the program where it is there.
    WriteFileBytes(other + "/jotcrate-window.so", "x");
    EXPECT_EQ(other + "/jotcrate-window.so", WindowLibraryPath(other + "/jotcrate"));
    std::string installed = WindowLibraryPath("/usr/bin/jotcrate-not-there");
    EXPECT_EQ("/jotcrate/jotcrate-window.so", installed.substr(installed.size() - 28)) << installed;
    EXPECT_EQ(other + "/", FilesFolder(other + "/jotcrate", false));
    EXPECT_EQ(UserDataHome() + "/jotcrate/", FilesFolder(bin + "/jotcrate", true));
    RemoveTestFolder(folder);
}

TEST(AppState, UserDataHomeFollowsAnAbsoluteXdgDataHomeOnly) {
    std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/ann/", 1);
    struct Case {
        const char* xdg;
        const char* expected;
    } cases[] = {
        {nullptr, "/home/ann/.local/share"},
        {"", "/home/ann/.local/share"},
        {"relative/data", "/home/ann/.local/share"},
        {"/srv/ann data", "/srv/ann data"},
    };
    for (const Case& c : cases) {
        if (c.xdg) setenv("XDG_DATA_HOME", c.xdg, 1);
        else unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(c.expected, UserDataHome()) << (c.xdg ? c.xdg : "unset");
    }
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", oldHome.c_str(), 1);
}

TEST(AppState, DataFolderIsMadeUserOnlyAndAFileInTheWayIsAnError) {
    TestFolder folder = MakeTestFolder();
    std::string deep = folder.path + "a/b/jotcrate";
    ASSERT_TRUE(MakePrivateFolders(deep));
    for (const std::string& made : {folder.path + "a", folder.path + "a/b", deep}) {
        struct stat st;
        ASSERT_EQ(0, stat(made.c_str(), &st)) << made;
        EXPECT_EQ(0700u, st.st_mode & 0777) << made;
    }
    EXPECT_TRUE(MakePrivateFolders(deep));  // there already
    WriteFileBytes(folder.path + "file", "x");
    EXPECT_FALSE(MakePrivateFolders(folder.path + "file/jotcrate"));
    EXPECT_NE(std::string::npos, LastFileError().find(folder.path + "file")) << LastFileError();
    EXPECT_FALSE(MakePrivateFolders(folder.path + "file"));  // a file of that name is no folder
    EXPECT_NE(std::string::npos, LastFileError().find(folder.path + "file")) << LastFileError();
    RemoveTestFolder(folder);
}

TEST(CommandLine, OnlyAFirstArgumentOfDumpSwitchCounts) {
    struct Case {
        std::vector<const char*> argv;
        bool dump;
    } cases[] = {
        {{"jotcrate", "-d"}, true}, {{"jotcrate", "-D"}, true},       {{"jotcrate", "-d", "x"}, true},
        {{"jotcrate"}, false},      {{"jotcrate", "x", "-d"}, false}, {{"jotcrate", "-dd"}, false},
        {{"jotcrate", "d"}, false}, {{"jotcrate", ""}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.dump, IsDumpSwitch(static_cast<int>(c.argv.size()), c.argv.data())) << c.argv.size();
}

}  // namespace
