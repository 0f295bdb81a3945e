// The parts of EditorTest that read the Qt editor itself: the font it draws a zoom with, its
// wrap mode, its scroll bar and its palette. The rest runs on both backends (EditorTest.cpp).
#include <QPlainTextEdit>
#include <QScrollBar>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"

namespace {

class EditorQtTest : public GuiTest {};

// The Qt editor zooms by scaling its font.
TEST_F(EditorQtTest, CtrlWheelDrawsTheTextLarger) {
    StartProgram();
    QFont before = Widget(kGadgetEditor)->font();
    WheelTestGadget(kGadgetEditor, 1, kModCtrl);
    Pump();
    EXPECT_EQ(110, g_app.options.zoom);
    EXPECT_GT(Widget(kGadgetEditor)->font().pointSizeF(), before.pointSizeF());
}

TEST_F(EditorQtTest, WordwrapSetsTheWrapModeAndNoColoursLeaveThePalette) {
    WriteDataFile(g_app.dataPath, {std::string(500, 'w')});
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nWordwrap=0\r\n");
    StartProgram();
    QPlainTextEdit* editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
    EXPECT_EQ(QPlainTextEdit::NoWrap, editor->lineWrapMode());
    EXPECT_GT(editor->horizontalScrollBar()->maximum(), 0);
    CloseWindow(kWindowMain);
    Pump();
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nWordwrap=1\r\nBackground=-1\r\nText Color=255\r\n");
    StartProgram();
    editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
    EXPECT_EQ(QPlainTextEdit::WidgetWidth, editor->lineWrapMode());
    EXPECT_NE(QColor(255, 0, 0), editor->palette().color(QPalette::Text));  // no colours at all
}

}  // namespace
