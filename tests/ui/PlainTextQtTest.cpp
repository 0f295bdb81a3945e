// Text from a record or a file name, on Qt: message boxes and labels are set as plain text, not
// left for Qt to guess at, and tooltips, read from Qt's own tip label, show it as written. What
// every backend shows is checked in PlainTextQtTest.cpp.
#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <functional>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/editor/FindAll.h"

namespace {

const std::string kMarkup = "<h1><font color=red>SYSTEM ALERT: enter your password";
// Markup, an ampersand, a line break and runs of blanks: each would be lost if read as markup.
const std::string kAwkward = "<b>Tom & Jerry</b> &amp; <a href=\"x\">file</a>\n  two  blanks";

class PlainTextQtTest : public GuiTest {
protected:
    // Runs the step with nothing standing in for the user; the first modal window it puts up
    // goes to look, then is closed with its first button. False when none came up.
    bool WithModal(const std::function<void()>& step, const std::function<void(QWidget*)>& look) {
        bool seen = false;
        QTimer waiter;
        QObject::connect(&waiter, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            waiter.stop();
            seen = true;
            look(modal);
            if (auto* box = qobject_cast<QMessageBox*>(modal)) box->buttons().first()->click();
            else modal->close();
        });
        waiter.start(1);
        SetUnattended(false);
        step();
        SetUnattended(true);
        waiter.stop();
        return seen;
    }
    // The format and the shown text of a message box put up by step.
    void BoxOf(const std::function<void()>& step, Qt::TextFormat* format, std::string* shown) {
        *format = Qt::AutoText;
        *shown = "<no box>";
        ASSERT_TRUE(WithModal(step, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return;
            *format = box->textFormat();
            *shown = ShownText(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
        }));
    }
    // The text of the tooltip on screen, as it shows it.
    std::string ShownTip() {
        if (!PumpUntil([] { return QToolTip::isVisible(); })) return "<no tip>";
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->objectName() == QStringLiteral("qtooltip_label"))
                return ShownText(qobject_cast<QLabel*>(widget));
        return "<no tip label>";
    }
    void HideTip() {
        QToolTip::hideText();
        ASSERT_TRUE(PumpUntil([] { return !QToolTip::isVisible(); }));
    }
};

TEST_F(PlainTextQtTest, MessageBoxesAreSetAsPlainText) {
    WriteDataFile(g_app.dataPath, {kMarkup + "\r\nmore"});
    StartProgram();
    SetEditorSelection(kGadgetEditor, 0, static_cast<int>(kMarkup.size()));
    Qt::TextFormat format;
    std::string shown;
    BoxOf([this] { Shortcut(kKeyF3); }, &format, &shown);  // the term is found nowhere else
    EXPECT_EQ(Qt::PlainText, format);

    BoxOf([] { ShowNotice("Jotcrate", kAwkward); }, &format, &shown);
    EXPECT_EQ(Qt::PlainText, format);

    bool answer = false;
    BoxOf([&answer] { answer = AskYesNo(kWindowMain, "Jotcrate", kAwkward); }, &format, &shown);
    EXPECT_EQ(Qt::PlainText, format);
    EXPECT_TRUE(answer);  // the box itself was answered, with its first button
}

TEST_F(PlainTextQtTest, TooltipsShowTheirTextAsWritten) {
    StartProgram();
    for (const std::string& text : {kMarkup, kAwkward, std::string("plain & simple\nline two")}) {
        ShowEditorTip(kGadgetEditor, text);
        EXPECT_EQ(text, ShownTip());
        HideTip();

        SetToolTip(kGadgetAdd, text);
        QWidget* add = Widget(kGadgetAdd);
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), add->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(add, &help);
        EXPECT_EQ(text, ShownTip());
        HideTip();
    }
}

TEST_F(PlainTextQtTest, LabelsAreSetAsPlainText) {
    WriteDataFile(g_app.dataPath, {kMarkup, "Other"});
    StartProgram();
    // The status line of "Find in All Records" holds a file error's reason, with its path.
    Shortcut('F', kModCtrl | kModShift);
    ASSERT_TRUE(FindAllWindowExists());
    SetFindAllStatus(kAwkward);
    QLabel* status = nullptr;
    for (QLabel* label : QApplication::activeWindow()->findChildren<QLabel*>())
        if (!label->buddy()) status = label;
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(Qt::PlainText, status->textFormat());

    // The Undelete window's prompt stands beside record titles.
    Shortcut(kKeyEscape);
    std::string title = Titles()[0];
    ASSERT_EQ(0u, title.find("<h1>"));
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ArmRequesterAnswers({});
    SetUnattended(false);
    Shortcut('U', kModAlt);
    SetUnattended(true);
    ASSERT_TRUE(WindowExists(kWindowUndelete));
    QWidget* window = QApplication::activeWindow();
    ASSERT_NE(nullptr, window);
    QLabel* prompt = window->findChild<QLabel*>();
    ASSERT_NE(nullptr, prompt);
    EXPECT_EQ(Qt::PlainText, prompt->textFormat());
    QListWidget* rows = window->findChild<QListWidget*>();
    ASSERT_NE(nullptr, rows);
    ASSERT_EQ(1, rows->count());
    EXPECT_EQ(title, rows->item(0)->text().toStdString());  // what a screen reader says of the row
    Shortcut(kKeyEscape);
}

}  // namespace
