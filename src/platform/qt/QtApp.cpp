// The application object, the event queue that the main loop waits on, hand-over from the
// load worker, the data file's watcher, the end of a session, message boxes and the shell.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/SystemNames.h"
#include "platform/qt/QtPrivate.h"

namespace {

// A notice raised before the main loop (the record dump) needs an application of its own.
// The toolkit's requesters keep their state (custom colours, the file dialog's history) in a
// settings file of the toolkit's in the home folder. The program writes no file but its own,
// so that state goes to a place no file can be made in, and lasts for the run.
void NewApplication(int* argc, char** argv) {
    const QString nowhere = QStringLiteral("/dev/null/jotcrate");
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, nowhere);
    new QApplication(*argc, argv);
    // The toolkit also looks for plugins in the program's folder. That folder was found to be no
    // one else's before this library was loaded; from here on it is not looked in at all.
    QCoreApplication::setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
    // The installed desktop entry's name, for desktops that take the icon from it; the icon
    // itself is built in, so a portable copy has it too.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.jotcrate.Jotcrate"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/jotcrate/org.jotcrate.Jotcrate-48.png")));
}

void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "jotcrate";
    static char* argv[] = {name, nullptr};
    NewApplication(&argc, argv);
}

// ALT with a key is a command key, as in the classic controls: no text field, and not the
// editor, takes its letter (ALT+X typed an x into the record and marked it edited). Keys
// bound to a command or a mnemonic are taken before any widget sees them.
class CommandKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        if (!qobject_cast<QLineEdit*>(watched) && !qobject_cast<QPlainTextEdit*>(watched)) return false;
        const QKeyEvent* key = static_cast<QKeyEvent*>(event);
        return (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::AltModifier &&
               !key->text().isEmpty();
    }
};

bool IsUiThread() { return QCoreApplication::instance() && QThread::currentThread() == qApp->thread(); }

}  // namespace

Rect ToRect(const QRect& r) { return Rect{r.x(), r.y(), r.width(), r.height()}; }

bool StartGui(int argc, char** argv) {
    static int s_argc = argc;
    NewApplication(&s_argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(new CommandKeyFilter(qApp));
    return true;
}

Event WaitWindowEvent() {
    Event event;
    while (!PollWindowEvent(&event)) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return event;
}

void RunOnUiThread(std::function<void()> step) {
    if (IsUiThread()) {
        step();
        return;
    }
    QMetaObject::invokeMethod(qApp, std::move(step), Qt::QueuedConnection);
}

void RunPendingUiSteps() { QCoreApplication::processEvents(); }

namespace {

// UI thread: one single-shot timer per window and number, made at its first start.
std::map<std::pair<int, int>, QTimer*> s_timers;

QTimer* FindTimer(int window, int timer) {
    auto it = s_timers.find({window, timer});
    return it == s_timers.end() ? nullptr : it->second;
}

}  // namespace

void StartTimer(int window, int timer, int milliseconds) {
    QTimer*& t = s_timers[{window, timer}];
    if (!t) {
        t = new QTimer(qApp);
        t->setSingleShot(true);
        QObject::connect(t, &QTimer::timeout, [window, timer] { PostWindowEvent(Event{kEventTimer, window, timer}); });
    }
    t->start(milliseconds);
}

void StopTimer(int window, int timer) {
    if (QTimer* t = FindTimer(window, timer)) t->stop();
}

bool ExpireTimer(int window, int timer) {
    QTimer* t = FindTimer(window, timer);
    if (!t || !t->isActive()) return false;
    t->stop();
    PostWindowEvent(Event{kEventTimer, window, timer});
    return true;
}

namespace {

int s_signalPipe[2] = {-1, -1};

// Only a write is safe in a signal handler; the window hears of it through the pipe.
void OnTermination(int) {
    char byte = 1;
    if (write(s_signalPipe[1], &byte, 1) < 0) return;
}

}  // namespace

void CloseOnTermination(int window) {
    if (s_signalPipe[0] >= 0 || pipe2(s_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    QSocketNotifier* notifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [window] {
        char byte;
        while (read(s_signalPipe[0], &byte, 1) > 0) {}
        DeliverWindowEvent(Event{kEventClose, window, kCloseEndingSession});
    });
    struct sigaction action = {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

// The main loop waits in processEvents; boxes, menus and requesters run an event loop of their own.
bool IsInModalLoop() { return QThread::currentThread()->loopLevel() > 0; }

void WatchFile(int window, const std::string& path) {
    static QFileSystemWatcher* watcher = nullptr;
    QString file = ToQString(path);
    if (!watcher) {
        watcher = new QFileSystemWatcher(qApp);
        // A file replaced by rename is another file: its watch goes, so it is watched anew.
        auto changed = [window, file] {
            if (!watcher->files().contains(file)) watcher->addPath(file);
            SendMessage(window, Message{kMessageFileChanged, 0, std::string()});
        };
        QObject::connect(watcher, &QFileSystemWatcher::fileChanged, changed);
        QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, changed);
    }
    watcher->addPath(file);
    watcher->addPath(QFileInfo(file).absolutePath());
}

Rect ScreenWorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? ToRect(screen->availableGeometry()) : Rect{0, 0, 1024, 768};
}

void ShowNotice(const std::string& caption, const std::string& text) {
    if (!QApplication::instance()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        if (!DisplayNamed()) return;
        EnsureApplication();
    }
    QMessageBox box(QMessageBox::Information, ToQString(caption), ToQString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);  // texts name records and files: never taken for markup
    box.setWindowModality(Qt::ApplicationModal);
    KeepAboveMainWindow(&box);
    box.exec();
}

bool AskYesNo(int owner, const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Question, ToQString(caption), ToQString(text), QMessageBox::Yes | QMessageBox::No,
                    WindowWidget(owner));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    KeepAboveMainWindow(&box);
    return box.exec() == QMessageBox::Yes;
}

bool StartProgram(const std::vector<std::string>& argv, const std::string& folder) {
    if (argv.empty()) return false;
    QStringList arguments;
    for (std::size_t i = 1; i < argv.size(); ++i) arguments << ToQString(argv[i]);
    return QProcess::startDetached(ToQString(argv[0]), arguments, ToQString(folder));
}

void OpenWithShell(const std::string& target) { StartProgram({"xdg-open", target}, std::string()); }

void Beep() { QApplication::beep(); }
