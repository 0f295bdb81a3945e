// The program's boxes that tell the user something: each under the program's title, and a
// failure with the system's reason after what failed. And the texts the backends show of their
// own accord, handed down from the string table.
#pragma once

#include <string>

#include "base/StringTable.h"

void ShowProgramNotice(const std::string& text);
// What failed (and detail, such as the file's name), then the reason of the last failed file
// operation: "Could not save the record: disk full".
std::string FailureText(StringId what, const std::string& detail = std::string());
void ShowFailure(StringId what, const std::string& detail = std::string());
// Asks under the program's title over the main window; true for Yes.
bool AskProgramQuestion(const std::string& text);
// Hands the backends the texts of their window menu, font requester and requester buttons.
void HandTextsToToolkit();
