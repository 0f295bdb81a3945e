// The options dialog's cases that need Qt or a POSIX desktop: a tooltip request reaching the
// control (Qt's event filter), the launcher marked trusted by gio, the toolkit's settings kept
// out of the home folder, and the font requester's typed size, which is Qt's own dialog.
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontComboBox>
#include <QHelpEvent>
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

class OptionsDialogQtTest : public GuiTest {
protected:
    void Open() {
        StartProgram();
        Shortcut('O', kModAlt);
        ASSERT_TRUE(WindowExists(kWindowOptions));
    }
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

TEST_F(OptionsDialogQtTest, TooltipsAndTheDesktopLauncherFollowTheirBoxes) {
    Open();
    SetChecked(kGadgetHideTooltips, true);
    SetChecked(kGadgetDesktopShortcut, true);
    // Where the gio tool is, the new launcher is marked trusted.
    std::string gio = folder.path + "gio", path = std::getenv("PATH") ? std::getenv("PATH") : "";
    WriteFileBytes(gio, "#!/bin/sh\n");
    chmod(gio.c_str(), 0755);
    setenv("PATH", folder.path.substr(0, folder.path.size() - 1).c_str(), 1);
    RecordStarts();
    Click(kGadgetApply);
    SetShellRecorder(nullptr);
    setenv("PATH", path.c_str(), 1);
    std::string launcher = folder.path + "home/Desktop/Jotcrate.desktop";
    EXPECT_EQ((std::vector<std::vector<std::string>>{{gio, "set", launcher, "metadata::trusted", "true"}}), Started());
    EXPECT_EQ(0u, ReadFileBytes(launcher).find("[Desktop Entry]"));
    EXPECT_FALSE(ToolTipReaches(kGadgetAdd));
    Shortcut('O', kModAlt);
    SetChecked(kGadgetHideTooltips, false);
    Click(kGadgetApply);
    EXPECT_TRUE(ToolTipReaches(kGadgetAdd));
}

// The toolkit's requesters would keep custom colours and a file history in the home folder.
TEST_F(OptionsDialogQtTest, RequestersLeaveNothingInTheHomeFolder) {
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

TEST_F(OptionsDialogQtTest, ATypedFontSizeWithAFractionIsRounded) {
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

}  // namespace
