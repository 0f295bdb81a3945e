// The user's answers pass here on their way from the backends; what the tests arm is taken
// first. UI thread only.
#include "ui/StandIns.h"

#include <deque>

namespace {

bool s_unattended = false;
std::deque<bool> s_armedAnswers;
std::vector<std::string> s_boxTexts;
std::deque<RequesterAnswer> s_requesterAnswers;
RequesterPresets s_presets;
void (*s_shellRecorder)(const std::vector<std::string>&) = nullptr;
int s_beeps = 0;

// The box's text is kept either way; true where an armed answer (or, unattended, No) stands
// in for the user.
bool TakeArmedAnswer(const std::string& text, bool* answer) {
    s_boxTexts.push_back(text);
    *answer = false;
    if (s_armedAnswers.empty()) return s_unattended;
    *answer = s_armedAnswers.front();
    s_armedAnswers.pop_front();
    return true;
}

}  // namespace

void TellUser(const std::string& caption, const std::string& text) {
    bool ignored;
    if (!TakeArmedAnswer(text, &ignored)) ShowNotice(caption, text);
}

bool AskUser(int owner, const std::string& caption, const std::string& text) {
    bool answer;
    return TakeArmedAnswer(text, &answer) ? answer : AskYesNo(owner, caption, text);
}

bool TakeArmedRequesterAnswer(RequesterAnswer* answer) {
    answer->ok = false;
    if (s_requesterAnswers.empty()) return s_unattended;
    *answer = s_requesterAnswers.front();
    s_requesterAnswers.pop_front();
    return true;
}

bool PickFont(FontChoice* choice) {
    s_presets.font = *choice;
    RequesterAnswer answer;
    if (!TakeArmedRequesterAnswer(&answer)) return ChooseFont(choice);
    if (answer.ok) *choice = answer.font;
    return answer.ok;
}

bool PickColour(std::int32_t* colour) {
    s_presets.colour = *colour;
    RequesterAnswer answer;
    if (!TakeArmedRequesterAnswer(&answer)) return ChooseColour(colour);
    if (answer.ok) *colour = answer.colour;
    return answer.ok;
}

bool PickSaveFile(const std::string& title, const std::string& folder, const std::string& name,
                  const std::string& filter, std::string* path) {
    s_presets.file = folder + name;
    RequesterAnswer answer;
    if (!TakeArmedRequesterAnswer(&answer)) return ChooseSaveFile(title, folder, name, filter, path);
    if (answer.ok) *path = answer.path;
    return answer.ok;
}

void BeepAtUser() {
    ++s_beeps;
    if (!s_unattended) Beep();
}

bool LaunchProgram(const std::vector<std::string>& argv, const std::string& folder) {
    if (argv.empty()) return false;
    if (!s_shellRecorder) return StartProgram(argv, folder);
    s_shellRecorder(argv);
    return true;
}

void LaunchTarget(const std::string& target) {
    if (s_shellRecorder) s_shellRecorder({"open", target});
    else OpenWithShell(target);
}

void SetUnattended(bool unattended) { s_unattended = unattended; }
void ArmMessageBoxAnswers(const std::vector<bool>& answers) { s_armedAnswers.assign(answers.begin(), answers.end()); }
const std::vector<std::string>& MessageBoxTexts() { return s_boxTexts; }
void ClearMessageBoxTexts() { s_boxTexts.clear(); }
int BeepsSoFar() { return s_beeps; }
void SetShellRecorder(void (*recorder)(const std::vector<std::string>&)) { s_shellRecorder = recorder; }
void ArmRequesterAnswers(const std::vector<RequesterAnswer>& answers) {
    s_requesterAnswers.assign(answers.begin(), answers.end());
}
const RequesterPresets& LastRequesterPresets() { return s_presets; }
