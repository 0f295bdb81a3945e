// The options dialog with real widgets: its controls and keys, Apply and Cancel, the
// requesters storing at once, Read Only and Wordwrap taking effect, and Export. Driven through
// the test input seam on either window backend; what needs Qt is in OptionsDialogQtTest.cpp.
#include <cstdlib>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"

namespace {

class OptionsDialogTest : public GuiTest {
protected:
    void Open() {
        StartProgram();
        Shortcut('O', kModAlt);
        ASSERT_TRUE(WindowExists(kWindowOptions));
    }
    // A requester's answer, filled in field by field (MinGW's GCC warns of the braced form).
    static RequesterAnswer Answer(bool ok, std::int32_t colour = 0, const std::string& path = "",
                                  const FontChoice& font = FontChoice{"", 0, 0, 0}) {
        RequesterAnswer answer{};
        answer.ok = ok;
        answer.colour = colour;
        answer.path = path;
        answer.font = font;
        return answer;
    }
    double EditorPoints() { return TestEditorFont(kGadgetEditor).points; }
};

TEST_F(OptionsDialogTest, ControlsAndKeys) {
    Open();
    int width = 0, height = 0;
    ClientSize(kWindowOptions, &width, &height);
    EXPECT_EQ(std::make_pair(214, 224), std::make_pair(width, height));
    EXPECT_FALSE(IsTestWindowEnabled(kWindowMain));
    EXPECT_EQ((Rect{142, 186, 60, 26}), GadgetRectIn(kWindowOptions, kGadgetCancel));
    Rect shortcut = GadgetRectIn(kWindowOptions, kGadgetDesktopShortcut);
    EXPECT_EQ(std::make_pair(12, 138), std::make_pair(shortcut.x, shortcut.y));
    EXPECT_TRUE(IsChecked(kGadgetWordwrap));
    EXPECT_FALSE(IsChecked(kGadgetReadOnly));
    FocusGadget(kGadgetCancel);
    Shortcut(kKeyTab, kModCtrl);
    EXPECT_EQ(kGadgetWordwrap, FocusedGadget());
    Shortcut(kKeyTab);  // TAB moves on as in any dialog, SHIFT+TAB back
    EXPECT_EQ(kGadgetOnTop, FocusedGadget());
    Shortcut(kKeyTab, kModShift);
    EXPECT_EQ(kGadgetWordwrap, FocusedGadget());
    Shortcut(kKeyEnter);
    EXPECT_FALSE(IsChecked(kGadgetWordwrap));
    Shortcut(kKeyEscape);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_TRUE(IsTestWindowEnabled(kWindowMain));
    EXPECT_EQ(1, g_app.options.wordwrap);
    EXPECT_EQ(0, g_app.settingsChanged);
    EXPECT_EQ(kGadgetEditor, FocusedGadget());
}

TEST_F(OptionsDialogTest, ApplyTakesEffectAtOnce) {
    Open();
    SetChecked(kGadgetReadOnly, true);
    SetChecked(kGadgetWordwrap, false);
    FocusGadget(kGadgetApply);
    Shortcut(kKeyEnter);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ(1, g_app.settingsChanged);
    EXPECT_EQ(1, g_app.options.readOnly);
    EXPECT_FALSE(IsGadgetEnabled(kGadgetAdd));
    EXPECT_FALSE(IsGadgetEnabled(kGadgetDelete));
    EXPECT_TRUE(IsEditorReadOnly(kGadgetEditor));
    // Without Wordwrap a line wider than the editor stays one line.
    std::string wide;
    for (int i = 0; i < 100; ++i) wide += "word ";
    SetEditorText(kGadgetEditor, wide);
    EXPECT_EQ(1, TestEditorLineCount(kGadgetEditor));
    Shortcut('O', kModAlt);
    SetChecked(kGadgetReadOnly, false);
    Click(kGadgetApply);
    EXPECT_TRUE(IsGadgetEnabled(kGadgetAdd));
    EXPECT_FALSE(IsEditorReadOnly(kGadgetEditor));
}

TEST_F(OptionsDialogTest, OnTopFollowsItsBox) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine sets no WS_EX_TOPMOST on the active main window on a screen without a window manager "
                    "(Win32PlacementTest checks the same call on a window not yet activated)";
#endif
    Open();
    SetChecked(kGadgetOnTop, true);
    Click(kGadgetApply);
    EXPECT_TRUE(IsTestWindowOnTop(kWindowMain));
    EXPECT_TRUE(IsTestWindowVisible(kWindowMain));
    Shortcut('O', kModAlt);
    SetChecked(kGadgetOnTop, false);
    Click(kGadgetApply);
    EXPECT_FALSE(IsTestWindowOnTop(kWindowMain));
}

TEST_F(OptionsDialogTest, ApplyWithoutChangesStillMarksTheSettingsAndReloads) {
    Open();
    Click(kGadgetApply);
    EXPECT_EQ(1, g_app.settingsChanged);
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor));
    EXPECT_EQ(0, g_app.unsavedEdit);
}

TEST_F(OptionsDialogTest, ChosenFontWaitsForApplyAndResetsTheZoom) {
    WriteFileBytes(g_app.settingsPath, "[Window]\r\nZoom=150\r\n");
    Open();
    double before = EditorPoints();
    ArmRequesterAnswers({Answer(true, 0, "", FontChoice{"DejaVu Serif", 20, 256 | 4, 0x0000FF})});
    Click(kGadgetFont);
    EXPECT_EQ("DejaVu Serif", g_app.options.fontName);
    EXPECT_EQ(20, g_app.options.fontSize);
    EXPECT_EQ(256 | 4, g_app.options.fontStyle);
    EXPECT_EQ(0x0000FF, g_app.options.textColour);
    EXPECT_EQ(1, g_app.fontChanged);
    Click(kGadgetCancel);
    EXPECT_EQ(before, EditorPoints());  // not shown before Apply
    EXPECT_EQ(1, g_app.fontChanged);
    Shortcut('O', kModAlt);
    Click(kGadgetApply);
    EXPECT_EQ(100, g_app.options.zoom);
    EXPECT_EQ(100, EditorZoom(kGadgetEditor));
    EXPECT_EQ(20, EditorPoints());
    EXPECT_TRUE(TestEditorFont(kGadgetEditor).bold);
    EXPECT_EQ(0, g_app.fontChanged);
    // The same font chosen again still resets the zoom.
    g_app.options.zoom = 130;
    Shortcut('O', kModAlt);
    ArmRequesterAnswers({Answer(true, 0, "", FontChoice{"DejaVu Serif", 20, 256 | 4, 0x0000FF})});
    Click(kGadgetFont);
    Click(kGadgetApply);
    EXPECT_EQ(100, g_app.options.zoom);
}

TEST_F(OptionsDialogTest, CancelledRequestersChangeNothing) {
    Open();
    // A close box drawn by the window manager cancels, as ESC does.
    SetChecked(kGadgetWordwrap, false);
    PostWindowEvent(Event{kEventClose, kWindowOptions, 0});
    Pump();
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ(1, g_app.options.wordwrap);
    Shortcut('O', kModAlt);
    ASSERT_TRUE(WindowExists(kWindowOptions));
    ArmRequesterAnswers({Answer(false), Answer(false)});
    Click(kGadgetFont);
    Click(kGadgetColour);
    EXPECT_EQ(0, g_app.fontChanged);
    EXPECT_EQ(0xFFFFFF, g_app.options.backgroundColour);
    EXPECT_EQ(0xFFFFFF, LastRequesterPresets().colour);
    ArmRequesterAnswers({Answer(true, 0x00FFFF)});
    Click(kGadgetColour);
    EXPECT_EQ(0x00FFFF, g_app.options.backgroundColour);
}

TEST_F(OptionsDialogTest, OpensCentredOverAMaximisedWindow) {
    StartProgram();
    ShowTestWindowAs(kWindowMain, kTestMaximised);
    Rect main{}, dialog{};
    // NormalOuterRect holds no rectangle while the window is maximised.
    ASSERT_TRUE(PumpUntil([&main] { return !NormalOuterRect(kWindowMain, &main); }));
    Shortcut('O', kModAlt);
    ASSERT_TRUE(WindowExists(kWindowOptions));
    EXPECT_EQ(kWindowOptions, ActiveTestWindow());
    ASSERT_TRUE(OuterRectOnScreen(kWindowMain, &main));
    ASSERT_TRUE(OuterRectOnScreen(kWindowOptions, &dialog));
    int mainX = main.x + main.width / 2, mainY = main.y + main.height / 2;
    int dialogX = dialog.x + dialog.width / 2, dialogY = dialog.y + dialog.height / 2;
    EXPECT_LE(std::abs(mainX - dialogX), 2) << mainX << " " << dialogX;
    EXPECT_LE(std::abs(mainY - dialogY), 2) << mainY << " " << dialogY;
}

TEST_F(OptionsDialogTest, NoColoursPreselectsBlack) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nBackground=-1\r\n");
    Open();
    ArmRequesterAnswers({Answer(false)});
    Click(kGadgetColour);
    EXPECT_EQ(0, LastRequesterPresets().colour);
    EXPECT_EQ(-1, g_app.options.backgroundColour);
}

TEST_F(OptionsDialogTest, ExportClosesWithoutApplyingAndWritesThePage) {
    WriteDataFile(g_app.dataPath, {"One\r\nfirst", "Two\r\nsecond <b>"});
    Open();
    SetChecked(kGadgetReadOnly, true);
    RecordStarts();
    std::string chosen = folder.path + "mine";
    ArmRequesterAnswers({Answer(true, 0, chosen)});
    Click(kGadgetExport);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ(0, g_app.options.readOnly);
    EXPECT_EQ(folder.path + "Jotcrate.html", LastRequesterPresets().file);
    std::string page = ReadFileBytes(chosen + ".html");
    EXPECT_NE(std::string::npos, page.find("<pre>second &lt;b&gt;</pre>"));
    ASSERT_EQ(1u, Started().size());
    EXPECT_EQ((std::vector<std::string>{"open", chosen + ".html"}), Started()[0]);
    // An existing page is replaced only after a Yes.
    Shortcut('O', kModAlt);
    WriteFileBytes(chosen + ".html", "keep");
    ArmRequesterAnswers({Answer(true, 0, chosen + ".HTML")});
    WriteFileBytes(chosen + ".HTML", "keep too");
    ArmMessageBoxAnswers({false});
    Click(kGadgetExport);
    EXPECT_EQ("keep too", ReadFileBytes(chosen + ".HTML"));
    EXPECT_EQ(1u, Started().size());
}

}  // namespace
