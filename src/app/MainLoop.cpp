#include "app/MainLoop.h"

#include <cstdlib>
#include <string>

#include "app/AppState.h"
#include "app/Numbers.h"
#include "app/StringTable.h"
#include "editor/FindAll.h"
#include "platform/Instance.h"
#include "store/Load.h"
#include "store/Records.h"
#include "ui/Commands.h"
#include "ui/MainWindow.h"

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
    std::string kept;
    if (g_app.loaded && g_app.unsavedEdit) KeepUnsavedText(&kept);
    std::_Exit(1);
}

}  // namespace

bool Dispatch(const Event& event) {
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
    }
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
    while (Dispatch(WaitWindowEvent())) {
    }
    WaitForLoadWorker();
    StopFindAll();
    return 0;
}
