// Qt implementation of the window-system operations.
#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "app/AppState.h"
#include "platform/Gui.h"

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A notice raised before the main loop (the record dump) needs an application of its own.
void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "jotcrate";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace

bool HasDisplay() { return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"); }

void ShowNotice(const std::string& caption, const std::string& text) {
    if (!QApplication::instance()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        if (!HasDisplay()) return;
        EnsureApplication();
    }
    QMessageBox box(QMessageBox::Information, FromUtf8(caption), FromUtf8(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

int RunMainLoop(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(FromUtf8(g_app.programTitle));
    window.resize(474, 300);
    window.show();
    return app.exec();
}
