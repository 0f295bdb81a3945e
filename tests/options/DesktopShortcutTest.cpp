// The desktop shortcut follows its option on disk: created, kept, replaced or deleted.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/settings/DesktopShortcut.h"

namespace {

class DesktopShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder();
        home = folder.path + "home";
        mkdir(home.c_str(), 0700);
        mkdir((home + "/Desktop").c_str(), 0700);
        oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        path = home + "/Desktop/Jotcrate.desktop";
    }
    void TearDown() override {
        setenv("HOME", oldHome.c_str(), 1);
        RemoveTestFolder(folder);
    }
    void Sync(int option) {
        g_app.options.desktopShortcut = static_cast<std::int8_t>(option);
        SyncDesktopShortcut();
    }
    TestFolder folder;
    std::string home, oldHome, path;
};

TEST_F(DesktopShortcutTest, FollowsTheOption) {
    EXPECT_EQ(home + "/Desktop/Jotcrate.desktop", ShortcutPath());
    Sync(1);
    std::string entry = ReadFileBytes(path);
    EXPECT_EQ(0u, entry.find("[Desktop Entry]\nType=Application\nName=Jotcrate\n"));
    EXPECT_NE(std::string::npos, entry.find("\nPath=" + folder.path + "\n"));
    EXPECT_NE(std::string::npos, entry.find("\nTerminal=false\n"));
    struct stat st;
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0755u, st.st_mode & 0777);
    WriteFileBytes(path, "mine");
    Sync(1);
    EXPECT_EQ("mine", ReadFileBytes(path));  // a non-empty file is never rewritten
    Sync(2);
    EXPECT_EQ("mine", ReadFileBytes(path));
    Sync(0);
    EXPECT_FALSE(PathExists(path));
    WriteFileBytes(path, "");
    Sync(1);
    EXPECT_EQ(0u, ReadFileBytes(path).find("[Desktop Entry]"));
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

// The installed program is on the PATH with its icon in the theme; a portable copy may be
// anywhere, so its launcher names the full path.
// Each keeps a launcher of its own name, so the one's option never deletes the other's.
TEST_F(DesktopShortcutTest, InstalledCopyNamesTheCommandAndItsIcon) {
    for (bool installed : {false, true}) {
        g_app.installedCopy = installed;
        path = ShortcutPath();
        EXPECT_EQ(home + (installed ? "/Desktop/org.jotcrate.Jotcrate.desktop" : "/Desktop/Jotcrate.desktop"), path);
        Sync(1);
        std::string entry = ReadFileBytes(path);
        EXPECT_EQ(installed, entry.find("\nExec=\"jotcrate\"\n") != std::string::npos) << entry;
        EXPECT_EQ(installed, entry.find("\nIcon=org.jotcrate.Jotcrate\n") != std::string::npos) << entry;
        EXPECT_EQ(!installed, entry.find("\nExec=\"" + ExecutablePath() + "\"\n") != std::string::npos) << entry;
    }
    g_app.installedCopy = false;
    Sync(0);
    EXPECT_TRUE(PathExists(home + "/Desktop/org.jotcrate.Jotcrate.desktop"));
    EXPECT_FALSE(PathExists(home + "/Desktop/Jotcrate.desktop"));
}

TEST_F(DesktopShortcutTest, FoldersAndReadOnlyFilesStay) {
    ASSERT_EQ(0, mkdir(path.c_str(), 0700));
    Sync(0);
    Sync(1);
    EXPECT_TRUE(FolderEntries(path).empty());
    rmdir(path.c_str());
    WriteFileBytes(path, "read-only");
    chmod(path.c_str(), 0444);
    Sync(0);
    EXPECT_EQ("read-only", ReadFileBytes(path));
}

// The desktop folder is the one the user's settings name, in any of the forms they may take.
TEST_F(DesktopShortcutTest, GoesToTheDesktopFolderTheUsersSettingsName) {
    std::string config = home + "/.config";
    ASSERT_EQ(0, mkdir(config.c_str(), 0700));
    unsetenv("XDG_CONFIG_HOME");
    struct Case {
        std::string dirs, folder;
    } cases[] = {
        {"# written by "
         "xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n",
         home + "/Schreibtisch"},
        {"XDG_DESKTOP_DIR=\"/srv/desk top\"", "/srv/desk top"},
        {"  XDG_DESKTOP_DIR=\"$HOME/Bureau \\\"x\\\"\"\n", home + "/Bureau \"x\""},
        {"XDG_DESKTOP_DIR=\"$HOME\"\n", home},
        {"XDG_DESKTOP_DIR=\"relative/path\"\n", home + "/Desktop"},
        {"XDG_DESKTOP_DIR=$HOME/unquoted\n", home + "/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOMEWORK\"\n", home + "/Desktop"},
        {"", home + "/Desktop"},
        // Only the first megabyte is read: the line after it is not looked for.
        {"XDG_DESKTOP_DIR=\"$HOME/Early\"\n" + std::string(2 << 20, '#'), home + "/Early"},
        {std::string(1 << 20, '\n') + "XDG_DESKTOP_DIR=\"$HOME/Late\"\n", home + "/Desktop"},
    };
    for (const Case& c : cases) {
        WriteFileBytes(config + "/user-dirs.dirs", c.dirs);
        EXPECT_EQ(c.folder, DesktopFolder()) << c.dirs;
    }
    // XDG_CONFIG_HOME moves the settings file.
    std::string elsewhere = folder.path + "config";
    ASSERT_EQ(0, mkdir(elsewhere.c_str(), 0700));
    WriteFileBytes(elsewhere + "/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
    setenv("XDG_CONFIG_HOME", elsewhere.c_str(), 1);
    EXPECT_EQ(home + "/Escritorio/Jotcrate.desktop", ShortcutPath());
    ASSERT_EQ(0, mkdir((home + "/Escritorio").c_str(), 0700));
    Sync(1);
    EXPECT_EQ(0u, ReadFileBytes(home + "/Escritorio/Jotcrate.desktop").find("[Desktop Entry]"));
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(DesktopShortcutTest, ExecQuotesThePathAsLaunchersRequire) {
    std::string entry = DesktopEntry("Jotcrate", "/home/a b/$x \"q\" 100%/jot\\crate", "/f", "", "d", "i");
    EXPECT_NE(std::string::npos, entry.find("\nExec=\"/home/a b/\\\\$x \\\\\"q\\\\\" 100%%/jot\\\\\\\\crate\"\n"))
        << entry;
}

}  // namespace
