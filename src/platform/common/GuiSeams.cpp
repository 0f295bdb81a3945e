#include "platform/common/GuiSeams.h"

#include <deque>

namespace {

std::deque<Event> s_events;
bool (*s_dispatcher)(const Event&) = nullptr;
bool s_unattended = false;
std::vector<bool> s_armedAnswers;
std::vector<std::string> s_boxTexts;
std::deque<RequesterAnswer> s_requesterAnswers;
RequesterPresets s_presets;
void (*s_shellRecorder)(const std::vector<std::string>&) = nullptr;
int s_beeps = 0;
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

bool TakeArmedAnswer(const std::string& text, bool* answer) {
    s_boxTexts.push_back(text);
    if (s_armedAnswers.empty()) {
        *answer = false;
        return s_unattended;
    }
    *answer = s_armedAnswers.front();
    s_armedAnswers.erase(s_armedAnswers.begin());
    return true;
}

// Unattended, a requester with no armed answer is cancelled rather than left waiting for a
// user who is not there.
bool TakeArmedRequesterAnswer(RequesterAnswer* answer) {
    if (s_requesterAnswers.empty()) {
        answer->ok = false;
        return s_unattended;
    }
    *answer = s_requesterAnswers.front();
    s_requesterAnswers.pop_front();
    return true;
}

bool AnsweredFont(FontChoice* choice, bool* ok) {
    s_presets.font = *choice;
    RequesterAnswer answer;
    if (!TakeArmedRequesterAnswer(&answer)) return false;
    if (answer.ok) *choice = answer.font;
    *ok = answer.ok;
    return true;
}

bool AnsweredColour(std::int32_t* colour, bool* ok) {
    s_presets.colour = *colour;
    RequesterAnswer answer;
    if (!TakeArmedRequesterAnswer(&answer)) return false;
    if (answer.ok) *colour = answer.colour;
    *ok = answer.ok;
    return true;
}

bool AnsweredSaveFile(const std::string& preset, std::string* path, bool* ok) {
    s_presets.file = preset;
    RequesterAnswer answer;
    if (!TakeArmedRequesterAnswer(&answer)) return false;
    if (answer.ok) *path = answer.path;
    *ok = answer.ok;
    return true;
}

bool IsUnattended() { return s_unattended; }

bool CountBeep() {
    ++s_beeps;
    return !s_unattended;
}

bool RecordShell(const std::vector<std::string>& argv) {
    if (!s_shellRecorder) return false;
    s_shellRecorder(argv);
    return true;
}

void SetUnattended(bool unattended) { s_unattended = unattended; }
int BeepsSoFar() { return s_beeps; }
void ArmMessageBoxAnswers(const std::vector<bool>& answers) { s_armedAnswers = answers; }
const std::vector<std::string>& MessageBoxTexts() { return s_boxTexts; }
void ClearMessageBoxTexts() { s_boxTexts.clear(); }
void SetShellRecorder(void (*recorder)(const std::vector<std::string>&)) { s_shellRecorder = recorder; }
void ArmRequesterAnswers(const std::vector<RequesterAnswer>& answers) {
    s_requesterAnswers.assign(answers.begin(), answers.end());
}
const RequesterPresets& LastRequesterPresets() { return s_presets; }
