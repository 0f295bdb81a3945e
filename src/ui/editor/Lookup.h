// The web look-ups of the editor's context menu.
#pragma once

#include <string>

// The selection, up to 128 characters, on the site of a command from 307 to 310.
void Lookup(int command);
// The prefix of the command's site followed by the text, percent-encoded as UTF-8.
std::string LookupUrl(int command, const std::string& text);
