// The options dialog with real widgets: its controls and keys, Apply and Cancel, the
// requesters storing at once, Read Only and Wordwrap taking effect, and Export.
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontComboBox>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTimer>
#include <cstdlib>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"

namespace {

std::vector<std::vector<std::string>> s_started;
void RecordStart(const std::vector<std::string>& argv) { s_started.push_back(argv); }

class OptionsDialogTest : public GuiTest {
protected:
    void Open() {
        StartProgram();
        Shortcut('O', kModAlt);
        ASSERT_TRUE(WindowExists(kWindowOptions));
    }
    void Click(int gadget) {
        PressGadget(gadget);
        Pump();
    }
    double EditorPoints() { return Widget(kGadgetEditor)->font().pointSizeF(); }
    // Whether a tooltip request gets past the window's filter to the control.
    bool ToolTipReaches(int gadget) {
        struct Counter : QObject {
            int tips = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                tips += event->type() == QEvent::ToolTip;
                return false;
            }
        } counter;
        Widget(gadget)->installEventFilter(&counter);
        QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), Widget(gadget)->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(Widget(gadget), &tip);
        Widget(gadget)->removeEventFilter(&counter);
        return counter.tips > 0;
    }
};

TEST_F(OptionsDialogTest, ControlsAndKeys) {
    Open();
    QWidget* dialog = WindowWidget(kWindowOptions);
    EXPECT_EQ(QSize(214, 224), dialog->size());
    EXPECT_FALSE(MainWindow()->isEnabled());
    EXPECT_EQ(QRect(142, 186, 60, 26), Widget(kGadgetCancel)->geometry());
    EXPECT_EQ(QPoint(12, 138), Widget(kGadgetDesktopShortcut)->pos());
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
    EXPECT_TRUE(MainWindow()->isEnabled());
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
    EXPECT_EQ(QPlainTextEdit::NoWrap, static_cast<QPlainTextEdit*>(Widget(kGadgetEditor))->lineWrapMode());
    Shortcut('O', kModAlt);
    SetChecked(kGadgetReadOnly, false);
    Click(kGadgetApply);
    EXPECT_TRUE(IsGadgetEnabled(kGadgetAdd));
    EXPECT_FALSE(IsEditorReadOnly(kGadgetEditor));
}

TEST_F(OptionsDialogTest, OnTopAndTooltipsFollowTheirBoxes) {
    Open();
    SetChecked(kGadgetOnTop, true);
    SetChecked(kGadgetHideTooltips, true);
    SetChecked(kGadgetDesktopShortcut, true);
    // Where the gio tool is, the new launcher is marked trusted.
    std::string gio = folder.path + "gio", path = std::getenv("PATH") ? std::getenv("PATH") : "";
    WriteFileBytes(gio, "#!/bin/sh\n");
    chmod(gio.c_str(), 0755);
    setenv("PATH", folder.path.substr(0, folder.path.size() - 1).c_str(), 1);
    s_started.clear();
    SetShellRecorder(RecordStart);
    Click(kGadgetApply);
    SetShellRecorder(nullptr);
    setenv("PATH", path.c_str(), 1);
    std::string launcher = folder.path + "home/Desktop/Jotcrate.desktop";
    EXPECT_EQ((std::vector<std::vector<std::string>>{{gio, "set", launcher, "metadata::trusted", "true"}}), s_started);
    EXPECT_TRUE(MainWindow()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(MainWindow()->isVisible());
    EXPECT_EQ(0u, ReadFileBytes(launcher).find("[Desktop Entry]"));
    EXPECT_FALSE(ToolTipReaches(kGadgetAdd));
    Shortcut('O', kModAlt);
    SetChecked(kGadgetHideTooltips, false);
    Click(kGadgetApply);
    EXPECT_TRUE(ToolTipReaches(kGadgetAdd));
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
    ArmRequesterAnswers({{true, {"DejaVu Serif", 20, 256 | 4, 0x0000FF}, 0, ""}});
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
    EXPECT_TRUE(Widget(kGadgetEditor)->font().bold());
    EXPECT_EQ(0, g_app.fontChanged);
    // The same font chosen again still resets the zoom.
    g_app.options.zoom = 130;
    Shortcut('O', kModAlt);
    ArmRequesterAnswers({{true, {"DejaVu Serif", 20, 256 | 4, 0x0000FF}, 0, ""}});
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
    ArmRequesterAnswers({{false, {}, 0, ""}, {false, {}, 0, ""}});
    Click(kGadgetFont);
    Click(kGadgetColour);
    EXPECT_EQ(0, g_app.fontChanged);
    EXPECT_EQ(0xFFFFFF, g_app.options.backgroundColour);
    EXPECT_EQ(0xFFFFFF, LastRequesterPresets().colour);
    ArmRequesterAnswers({{true, {}, 0x00FFFF, ""}});
    Click(kGadgetColour);
    EXPECT_EQ(0x00FFFF, g_app.options.backgroundColour);
}

// The toolkit's requesters would keep custom colours and a file history in the home folder.
TEST_F(OptionsDialogTest, RequestersLeaveNothingInTheHomeFolder) {
    StartProgram();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    closer.start(1);
    std::int32_t colour = 0x123456;
    SetUnattended(false);
    EXPECT_FALSE(ChooseColour(&colour));
    std::string path;
    EXPECT_FALSE(ChooseSaveFile("Export", folder.path, "page.html", "Web pages (*.html)", &path));
    SetUnattended(true);
    QSettings toolkit(QSettings::UserScope, QStringLiteral("QtProject"));
    toolkit.setValue(QStringLiteral("probe"), 1);
    toolkit.sync();
    EXPECT_EQ(std::vector<std::string>{"Desktop"}, FolderEntries(folder.path + "home/"));
    EXPECT_EQ(0, toolkit.fileName().indexOf(QStringLiteral("/dev/null/"))) << ToUtf8(toolkit.fileName());
}

TEST_F(OptionsDialogTest, OpensCentredOverAMaximisedWindow) {
    StartProgram();
    MainWindow()->showMaximized();
    ASSERT_TRUE(PumpUntil([this] { return MainWindow()->isMaximized(); }));
    Shortcut('O', kModAlt);
    ASSERT_TRUE(WindowExists(kWindowOptions));
    QRect main = MainWindow()->frameGeometry(), dialog = QApplication::activeWindow()->frameGeometry();
    EXPECT_LE(std::abs(main.center().x() - dialog.center().x()), 2) << main.center().x() << " " << dialog.center().x();
    EXPECT_LE(std::abs(main.center().y() - dialog.center().y()), 2) << main.center().y() << " " << dialog.center().y();
}

TEST_F(OptionsDialogTest, ATypedFontSizeWithAFractionIsRounded) {
    StartProgram();
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&typist] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        typist.stop();
        for (QComboBox* box : dialog->findChildren<QComboBox*>())
            if (box->isEditable() && !qobject_cast<QFontComboBox*>(box)) box->setCurrentText(QStringLiteral("10.5"));
        dialog->accept();
    });
    typist.start(1);
    FontChoice choice{"DejaVu Sans", 10, 0, 0};
    SetUnattended(false);
    EXPECT_TRUE(ChooseFont(&choice));
    SetUnattended(true);
    EXPECT_EQ(11, choice.points);
}

TEST_F(OptionsDialogTest, NoColoursPreselectsBlack) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nBackground=-1\r\n");
    Open();
    ArmRequesterAnswers({{false, {}, 0, ""}});
    Click(kGadgetColour);
    EXPECT_EQ(0, LastRequesterPresets().colour);
    EXPECT_EQ(-1, g_app.options.backgroundColour);
}

TEST_F(OptionsDialogTest, ExportClosesWithoutApplyingAndWritesThePage) {
    WriteDataFile(g_app.dataPath, {"One\r\nfirst", "Two\r\nsecond <b>"});
    Open();
    SetChecked(kGadgetReadOnly, true);
    s_started.clear();
    SetShellRecorder(RecordStart);
    std::string chosen = folder.path + "mine";
    ArmRequesterAnswers({{true, {}, 0, chosen}});
    Click(kGadgetExport);
    EXPECT_FALSE(WindowExists(kWindowOptions));
    EXPECT_EQ(0, g_app.options.readOnly);
    EXPECT_EQ(folder.path + "Jotcrate.html", LastRequesterPresets().file);
    std::string page = ReadFileBytes(chosen + ".html");
    EXPECT_NE(std::string::npos, page.find("<pre>second &lt;b&gt;</pre>"));
    ASSERT_EQ(1u, s_started.size());
    EXPECT_EQ((std::vector<std::string>{"xdg-open", chosen + ".html"}), s_started[0]);
    // An existing page is replaced only after a Yes.
    Shortcut('O', kModAlt);
    WriteFileBytes(chosen + ".html", "keep");
    ArmRequesterAnswers({{true, {}, 0, chosen + ".HTML"}});
    WriteFileBytes(chosen + ".HTML", "keep too");
    ArmMessageBoxAnswers({false});
    Click(kGadgetExport);
    EXPECT_EQ("keep too", ReadFileBytes(chosen + ".HTML"));
    EXPECT_EQ(1u, s_started.size());
}

}  // namespace
