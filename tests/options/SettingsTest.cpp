// The settings file as the program writes and reads it: the fresh file byte for byte, hand
// edits, the work-area check and what survives a save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "base/AppState.h"
#include "base/StringTable.h"
#include "core/settings/Settings.h"

namespace {

const Rect kWorkArea{0, 0, 1280, 800};

class SettingsTest : public FolderTest {
protected:
    std::string Saved() { return ReadFileBytes(g_app.settingsPath); }
};

TEST_F(SettingsTest, FreshFileHoldsBothGroupsAndAllSixteenKeys) {
    EXPECT_TRUE(SettingsFileNeedsFresh());
    Rect window{0, 0, 474, 300};
    ASSERT_TRUE(SaveSettings(true, &window));
    EXPECT_EQ(
        "[Options]\r\nWordwrap=1\r\nOn Top=0\r\nRead Only=0\r\nHide Tooltips=0\r\nAuto Backup=0\r\n"
        "Desktop Shortcut=0\r\nBackground=16777215\r\nFont Size=10\r\nText Color=0\r\nFont Style=0\r\n"
        "Font Name=" +
            Str(kStrDefaultFontName) + "\r\n\r\n[Window]\r\nX=0\r\nY=0\r\nWidth=474\r\nHeight=300\r\nZoom=100\r\n",
        Saved());
    EXPECT_FALSE(SettingsFileNeedsFresh());
    struct stat st;
    ASSERT_EQ(0, stat(g_app.settingsPath.c_str(), &st));
    if (FilesHaveModes()) {
        EXPECT_EQ(0600u, st.st_mode & 0777);
    }
    ASSERT_TRUE(LoadSettings(kWorkArea));
    EXPECT_EQ(0, g_app.options.windowX);
    EXPECT_EQ(474, g_app.options.windowWidth);
}

TEST_F(SettingsTest, AMissingOrEmptyFileNeedsAFreshOneUnlessReadOnly) {
    EXPECT_TRUE(SettingsFileNeedsFresh());
    WriteFileBytes(g_app.settingsPath, "");
    EXPECT_TRUE(SettingsFileNeedsFresh());
    // Made read-only by its user, an empty file stays as it is and the defaults serve.
    chmod(g_app.settingsPath.c_str(), 0444);
    EXPECT_FALSE(SettingsFileNeedsFresh());
    chmod(g_app.settingsPath.c_str(), 0600);
    unlink(g_app.settingsPath.c_str());
    ASSERT_TRUE(MakeFolder(g_app.settingsPath));
    EXPECT_FALSE(SettingsFileNeedsFresh());
    Rect window{0, 0, 474, 300};
    EXPECT_FALSE(SaveSettings(true, &window));
    g_app.options.zoom = 150;
    EXPECT_FALSE(LoadSettings(kWorkArea));
    EXPECT_EQ(150, g_app.options.zoom);  // nothing read, nothing reset
}

TEST_F(SettingsTest, HandEditsAreReadAndNormalisedOnSave) {
    WriteFileBytes(g_app.settingsPath,
                   ";my settings\n[OPTIONS]\n   wordWRAP  =  0\nfont name = Deja Vu Sans \nUnknown=kept\n"
                   "[Mine]\nx=1\n[window]\nzoom=12abc\n");
    ASSERT_TRUE(LoadSettings(kWorkArea));
    EXPECT_EQ(0, g_app.options.wordwrap);
    EXPECT_EQ("Deja Vu Sans", g_app.options.fontName);
    EXPECT_EQ(12, g_app.options.zoom);
    EXPECT_EQ(24, g_app.options.windowX);  // missing keys take their defaults
    EXPECT_EQ(16777215, g_app.options.backgroundColour);
    Rect window{10, 20, 500, 400};
    ASSERT_TRUE(SaveSettings(false, &window));
    EXPECT_EQ(
        "; my settings\r\n[OPTIONS]\r\nWordwrap=0\r\nFont Name=Deja Vu Sans\r\nUnknown=kept\r\nOn Top=0\r\n"
        "Read Only=0\r\nHide Tooltips=0\r\nAuto Backup=0\r\nDesktop Shortcut=0\r\nBackground=16777215\r\n"
        "Font Size=10\r\nText Color=0\r\nFont Style=0\r\n\r\n[Mine]\r\nx=1\r\n\r\n[window]\r\nZoom=12\r\n"
        "X=10\r\nY=20\r\nWidth=500\r\nHeight=400\r\n",
        Saved());
}

TEST_F(SettingsTest, MaximisedWindowKeepsTheStoredPlacement) {
    WriteFileBytes(g_app.settingsPath, "[Window]\r\nX=5\r\nY=6\r\nWidth=600\r\nHeight=500\r\nZoom=100\r\n");
    g_app.options.zoom = 130;
    g_app.options.onTop = 1;
    ASSERT_TRUE(SaveSettings(false, nullptr));
    std::string saved = Saved();
    EXPECT_NE(std::string::npos, saved.find("[Window]\r\nX=5\r\nY=6\r\nWidth=600\r\nHeight=500\r\nZoom=130\r\n"));
    EXPECT_NE(std::string::npos, saved.find("On Top=1\r\n"));
}

TEST_F(SettingsTest, WindowRectangleMustFitTheWorkArea) {
    struct Case {
        std::int32_t x, y, width, height;
        bool kept;
    } cases[] = {
        {-16, -16, 474, 300, true},
        {-17, 0, 474, 300, false},
        {0, -17, 474, 300, false},
        {0, 0, 1296, 300, true},  // work area width + 16
        {0, 0, 1297, 300, false},
        {1, 0, 1296, 300, false},
        {0, 0, 474, 816, true},
        {0, 1, 474, 816, false},
        {2147483647, 0, 10, 10, false},  // a sum that would wrap stays out of range
        {0, 0, 2147483647, 2147483647, false},
    };
    for (const Case& c : cases) {
        WriteFileBytes(g_app.settingsPath, "[Window]\r\nX=" + std::to_string(c.x) + "\r\nY=" + std::to_string(c.y) +
                                               "\r\nWidth=" + std::to_string(c.width) +
                                               "\r\nHeight=" + std::to_string(c.height) + "\r\nZoom=140\r\n");
        ASSERT_TRUE(LoadSettings(kWorkArea));
        const OptionSet& o = g_app.options;
        if (c.kept)
            EXPECT_TRUE(o.windowX == c.x && o.windowY == c.y && o.windowWidth == c.width && o.windowHeight == c.height)
                << c.x << "," << c.y << " " << c.width << "x" << c.height;
        else
            EXPECT_TRUE(o.windowX == 24 && o.windowY == 24 && o.windowWidth == 470 && o.windowHeight == 300)
                << c.x << "," << c.y << " " << c.width << "x" << c.height;
        EXPECT_EQ(140, o.zoom);
    }
    // The limits are sizes measured from the screen origin, wherever the work area starts.
    WriteFileBytes(g_app.settingsPath, "[Window]\r\nX=0\r\nY=0\r\nWidth=1296\r\nHeight=300\r\n");
    ASSERT_TRUE(LoadSettings(Rect{100, 30, 1280, 800}));
    EXPECT_EQ(1296, g_app.options.windowWidth);
}

TEST_F(SettingsTest, OnOffOptionsKeepTheirLowEightBits) {
    WriteFileBytes(g_app.settingsPath,
                   "[Options]\r\nWordwrap=257\r\nOn Top=255\r\nRead Only=-1\r\nAuto Backup=x\r\n"
                   "Font Name=Noto Sans Inscriptional Parthian\r\n");
    ASSERT_TRUE(LoadSettings(kWorkArea));
    EXPECT_EQ(1, g_app.options.wordwrap);
    EXPECT_EQ(-1, g_app.options.onTop);
    EXPECT_EQ(-1, g_app.options.readOnly);
    EXPECT_EQ(0, g_app.options.autoBackup);
    EXPECT_EQ("Noto Sans Inscriptional Parthian", g_app.options.fontName);  // a long name whole
}

TEST_F(SettingsTest, ReadOnlyOrVanishedFileIsLeftAlone) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nWordwrap=0\r\n");
    ASSERT_EQ(0, chmod(g_app.settingsPath.c_str(), 0444));
    ASSERT_TRUE(LoadSettings(kWorkArea));
    Rect window{0, 0, 474, 300};
    SaveSettings(false, &window);
    EXPECT_EQ("[Options]\r\nWordwrap=0\r\n", Saved());
    chmod(g_app.settingsPath.c_str(), 0600);
    unlink(g_app.settingsPath.c_str());
    EXPECT_FALSE(SaveSettings(false, &window));
    EXPECT_FALSE(PathExists(g_app.settingsPath));
}

// The program's text is UTF-8, and so is a file that says it is; one that does not say so
// is kept byte for byte as well.
TEST_F(SettingsTest, FontNamesComeBackAsTheyWereWithOrWithoutAByteOrderMark) {
    for (std::string mark : {"\xEF\xBB\xBF", ""}) {
        WriteFileBytes(g_app.settingsPath, mark + "[Options]\r\nFont Name=Caf\xC3\xA9\r\n");
        ASSERT_TRUE(LoadSettings(kWorkArea));
        EXPECT_EQ("Caf\xC3\xA9", g_app.options.fontName);
        g_app.options.fontName = "Noto Sans Inscriptional Parthian \xE2\x82\xAC";
        ASSERT_TRUE(SaveSettings(false, nullptr));
        std::string saved = Saved();
        EXPECT_EQ(0u, saved.find(mark.empty() ? "[Options]\r\n" : mark + "\r\n[Options]\r\n"));
        EXPECT_NE(std::string::npos, saved.find("Font Name=Noto Sans Inscriptional Parthian \xE2\x82\xAC\r\n"));
        ASSERT_TRUE(LoadSettings(kWorkArea));
        EXPECT_EQ("Noto Sans Inscriptional Parthian \xE2\x82\xAC", g_app.options.fontName);
    }
}

}  // namespace
