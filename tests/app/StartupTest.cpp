// Start-up pieces: the string table, the option defaults, the paths beside the program and
// the command line.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/StringTable.h"

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
        for (StringId id : {kStrDataFileErrorPrefix, kStrDeleteQuestion, kStrBringToFrontName})
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

TEST(CommandLine, OnlyAFirstArgumentOfDumpSwitchCounts) {
    struct Case {
        std::vector<const char*> argv;
        bool dump;
    } cases[] = {
        {{"jotcrate", "-d"}, true},  {{"jotcrate", "-D"}, true},   {{"jotcrate", "-d", "x"}, true},
        {{"jotcrate"}, false},       {{"jotcrate", "x", "-d"}, false}, {{"jotcrate", "-dd"}, false},
        {{"jotcrate", "d"}, false},  {{"jotcrate", ""}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.dump, IsDumpSwitch(static_cast<int>(c.argv.size()), c.argv.data())) << c.argv.size();
}

}  // namespace
