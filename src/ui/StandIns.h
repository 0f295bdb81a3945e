// Where the program asks the user something or acts for them (boxes, requesters, the bell, the
// programs it starts), and where tests stand in for the user: an armed answer takes the place
// of the box or requester, and unattended, a box with no armed answer gets No and a requester
// Cancel, so that no run waits for a user who is not there. Both backends then only show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Gui.h"

void TellUser(const std::string& caption, const std::string& text);
bool AskUser(int owner, const std::string& caption, const std::string& text);
bool PickFont(FontChoice* choice);
bool PickColour(std::int32_t* colour);
bool PickSaveFile(const std::string& title, const std::string& folder, const std::string& name,
                  const std::string& filter, std::string* path);
void BeepAtUser();
bool LaunchProgram(const std::vector<std::string>& argv, const std::string& folder);
// A page, a link or a file, opened by the desktop's opener.
void LaunchTarget(const std::string& target);

// For tests: answers for the next boxes, and what they said.
void SetUnattended(bool unattended);
void ArmMessageBoxAnswers(const std::vector<bool>& answers);
const std::vector<std::string>& MessageBoxTexts();
void ClearMessageBoxTexts();
int BeepsSoFar();
// The programs the tests record instead of starting; a target opened is {"open", target}.
void SetShellRecorder(void (*recorder)(const std::vector<std::string>& argv));
// For tests: answers for the next requesters (ok false: cancelled), and the last presets.
struct RequesterAnswer {
    bool ok;
    FontChoice font;
    std::int32_t colour;
    std::string path;
    int item = 0;  // the row chosen in a list
};
void ArmRequesterAnswers(const std::vector<RequesterAnswer>& answers);
// For a requester built from gadgets: true where an armed answer (or, unattended, Cancel)
// stands in for the user.
bool TakeArmedRequesterAnswer(RequesterAnswer* answer);
struct RequesterPresets {
    FontChoice font;
    std::int32_t colour;
    std::string file;
};
const RequesterPresets& LastRequesterPresets();
