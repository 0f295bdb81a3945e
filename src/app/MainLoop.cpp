#include "app/MainLoop.h"

#include <cstdlib>
#include <string>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Instance.h"
#include "ui/Commands.h"
#include "ui/MainWindow.h"
#include "ui/editor/Find.h"
#include "ui/editor/FindAll.h"
#include "ui/records/Load.h"
#include "ui/records/Records.h"
#include "ui/records/UndeleteWindow.h"

namespace {

// On the listener's thread: a second instance asked for the window.
void OnInstanceMessage(std::uint32_t message) {
    if (message != g_app.bringToFrontMessage) return;
    RunOnUiThread([] { RestoreAndRaise(kWindowMain); });
}

// The toolkit ends the process with exit() when its display goes away. What was typed is kept
// in a recovery file then, and the process ends at once: destructors would meet threads that
// are still running.
void KeepTextAtAbruptExit() {
    if (!g_app.running) return;
    StopDescribingFileErrors();
    std::string kept;
    if (g_app.loaded && g_app.unsavedEdit) KeepUnsavedText(&kept);
    std::_Exit(1);
}

// The session ends while a box, a menu or a requester is open, or while another event is
// handled: the work under way cannot be unwound, so what was typed goes to a recovery file, and
// the process ends before the session's kill could take the text with it.
void EndInsideOtherWork() {
    std::string kept;
    if (g_app.loaded && g_app.unsavedEdit) KeepUnsavedText(&kept);
    std::_Exit(0);
}

int s_dispatching = 0;  // UI thread: events being handled, one inside another

}  // namespace

bool Dispatch(const Event& event) {
    if (event.kind == kEventClose && event.number == kCloseEndingSession && (s_dispatching > 0 || IsInModalLoop()))
        EndInsideOtherWork();
    ++s_dispatching;
    switch (event.window) {
        case kWindowMain:
            HandleMainWindow(event);
            break;
        case kWindowOptions:
            HandleOptionsWindow(event);
            break;
        case kWindowHelp:
            HandleHelpWindow(event);
            break;
        case kWindowFind:
            HandleFindWindow(event);
            break;
        case kWindowFindAll:
            HandleFindAllWindow(event);
            RefreshFindAll();
            break;
        case kWindowUndelete:
            HandleUndeleteWindow(event);
            RefreshFindAll();
            break;
    }
    --s_dispatching;
    return g_app.running != 0;
}

int RunMainLoop(int argc, char** argv) {
    // The records are read while the toolkit starts and the window is built; they reach the
    // window once it stands.
    StartLoadWorker();
    StartGui(argc, argv);
    std::atexit(KeepTextAtAbruptExit);
    SetEventDispatcher(Dispatch);
    BuildMainWindow();
    StartInstanceListener(Str(kStrInstanceName), OnInstanceMessage);
    CloseOnTermination(kWindowMain);
    while (Dispatch(WaitWindowEvent())) {}
    WaitForLoadWorker();
    StopFindAll();
    return 0;
}
