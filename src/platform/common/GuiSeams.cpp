#include "platform/common/GuiSeams.h"

#include <algorithm>
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

std::size_t UnitsWithinLimit(std::u16string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    return limit > 0 && text[limit - 1] >= 0xD800 && text[limit - 1] <= 0xDBFF ? limit - 1 : limit;
}

int WholeCharacterPosition(std::u16string_view text, int position) {
    position = std::max(0, std::min(position, static_cast<int>(text.size())));
    auto at = static_cast<std::size_t>(position);
    return position > 0 && at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF ? position - 1 : position;
}

std::string SpokenResultRow(const ResultRow& row) {
    std::string line = row.before + row.match + row.after;
    return line.empty() ? row.title : row.title + ": " + line;
}
