// Single instance: a lock file held for the life of the process and a user-only local socket
// on which a second instance sends the bring-to-front message. Both live in the user's
// runtime folder ($XDG_RUNTIME_DIR, else /tmp/<name>-<uid>).
#pragma once

#include <cstdint>
#include <string>

// The same name gives the same number in every process.
std::uint32_t RegisterMessage(const std::string& name);
// False only when another process holds the lock; any failure to set it up runs this one
// as the first instance.
bool ClaimSingleInstance(const std::string& name);
// Hands the message to the first instance; false when nobody listened.
bool SendToFirstInstance(const std::string& name, std::uint32_t message);
// Listens on a thread of its own; each message received is passed to onMessage there.
bool StartInstanceListener(const std::string& name, void (*onMessage)(std::uint32_t message));
