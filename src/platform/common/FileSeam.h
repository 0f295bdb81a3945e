// Shared by the file layers of both systems: the tests' fault seam.
#pragma once

#include <string>

#include "platform/Files.h"

// Whether this call of a step is the one armed to fail; if so errno holds the armed error.
bool Injected(FileStep step, const std::string& path);
