#include "platform/common/GuiSeams.h"

#include <deque>

namespace {

std::deque<Event> s_events;
bool (*s_dispatcher)(const Event&) = nullptr;
int s_mainWindow = 0;

}  // namespace

int MainWindowNumber() { return s_mainWindow; }

void NoteMainWindow(int window) { s_mainWindow = window; }

bool PollWindowEvent(Event* event) {
    if (s_events.empty()) return false;
    *event = s_events.front();
    s_events.pop_front();
    return true;
}

void PostWindowEvent(Event event) { s_events.push_back(event); }

void SetEventDispatcher(bool (*dispatch)(const Event& event)) { s_dispatcher = dispatch; }

void PostWakeEvent() {
    RunOnUiThread([] { PostWindowEvent(Event{kEventNone, 0, 0}); });
}

void DeliverWindowEvent(Event event) {
    if (!s_dispatcher) {
        PostWindowEvent(event);
        return;
    }
    // A command that ended the run wakes the main loop, so that it sees.
    if (!s_dispatcher(event)) PostWindowEvent(Event{kEventNone, 0, 0});
}
