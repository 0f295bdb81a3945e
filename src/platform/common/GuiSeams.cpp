#include "platform/common/GuiSeams.h"

#include <deque>

namespace {

bool s_unattended = false;
std::vector<bool> s_armedAnswers;
std::vector<std::string> s_boxTexts;
std::deque<RequesterAnswer> s_requesterAnswers;
RequesterPresets s_presets;
void (*s_shellRecorder)(const std::vector<std::string>&) = nullptr;
int s_beeps = 0;

}  // namespace

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
bool TakeRequesterAnswer(RequesterAnswer* answer) {
    if (s_requesterAnswers.empty()) {
        answer->ok = false;
        return s_unattended;
    }
    *answer = s_requesterAnswers.front();
    s_requesterAnswers.pop_front();
    return true;
}

RequesterPresets& Presets() { return s_presets; }

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
