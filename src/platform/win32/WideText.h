// Text crosses the platform boundary as UTF-8 and is UTF-16 only inside the Win32 backend.
#pragma once

#include <string>
#include <string_view>

struct _GUID;  // a known-folder id, as the system headers name it

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view text);
// The system's reason for an error code, as one line of UTF-8.
std::string SystemErrorText(unsigned long code);
// One of the user's folders by its known-folder id (FOLDERID_...), or empty.
std::string KnownFolder(const _GUID& id);
