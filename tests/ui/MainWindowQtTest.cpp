// The main window's own menu on Qt, read while it is open as a QMenu: the Win32 menu runs its
// own modal loop, which gives the test no turn (the Windows end-to-end run opens it by the same
// routes, tests/e2e/windows.sh).
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"

namespace {

class MainWindowQtTest : public GuiTest {};

// Most desktops keep ALT+SPACE for their own window menu: ALT+MINUS and a right-click on the
// window's background or on a button open the program's, with the three tools.
TEST_F(MainWindowQtTest, TheWindowMenuHasRoutesTheDesktopLeavesFree) {
    StartProgram();
    RecordStarts();
    auto rightClick = [](QWidget* widget, QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
    };
    const std::pair<const char*, std::function<void()>> routes[] = {
        {"ALT+SPACE", [this] { Shortcut(kKeySpace, kModAlt); }},
        {"ALT+MINUS", [this] { Shortcut(kKeyMinus, kModAlt); }},
        {"background", [&] { rightClick(MainWindow(), QPoint(264, 20)); }},
        {"button", [&] { rightClick(Widget(kGadgetAdd), QPoint(5, 5)); }},
    };
    for (const auto& [name, open] : routes) {
        // The menu just closed gives the activation back in its own time.
        MainWindow()->activateWindow();
        ASSERT_TRUE(PumpUntil([this] { return MainWindow()->isActiveWindow(); })) << name;
        Started().clear();
        QStringList items;
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            chooser.stop();
            for (QAction* action : menu->actions()) items << action->text();
            QTest::keyClick(menu, Qt::Key_E);
        });
        chooser.start(1);
        open();
        Pump();
        EXPECT_FALSE(chooser.isActive()) << name;
        EXPECT_TRUE(items.contains(QStringLiteral("Calc&ulator"))) << name;
        ASSERT_EQ(1u, Started().size()) << name;
        EXPECT_EQ(folder.path + "home", Started()[0].back()) << name;  // the file manager, at home
    }
    SetShellRecorder(nullptr);
}

}  // namespace
