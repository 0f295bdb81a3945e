// Single instance: a lock file held for the life of the process and a user-only local socket
// on which a second instance sends the bring-to-front message. Both live in the user's
// runtime folder ($XDG_RUNTIME_DIR, else a user-only folder in the user's cache, else the
// folder of the files). The folder of the files is locked as well, so that starts with other
// runtime folders never both run on the same files.
#pragma once

#include <cstdint>
#include <string>

// The same name gives the same number in every process.
std::uint32_t RegisterMessage(const std::string& name);
enum InstanceClaim { kInstanceFirst, kInstanceSecond, kInstanceLockFailed };
// kInstanceSecond when another process holds the lock; kInstanceLockFailed when no lock could
// be set up anywhere, which no caller should take for a first instance.
InstanceClaim ClaimSingleInstance(const std::string& name, const std::string& filesFolder);
// Hands the message to the first instance; false when nobody listened.
bool SendToFirstInstance(const std::string& name, std::uint32_t message);
// Listens on a thread of its own; each message received is passed to onMessage there.
bool StartInstanceListener(const std::string& name, void (*onMessage)(std::uint32_t message));
