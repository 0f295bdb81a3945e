// The bench data: a full data file of 32,767 records of realistic text, and one of 9.
#pragma once

#include <cstdint>
#include <string>

// Writes FOLDER/Jotcrate.jcd with count records of 100 to 2,000 bytes, every slot written
// out (no holes), unless a file of that size is already there.
bool MakeBenchData(const std::string& folder, std::int64_t count);
