// The steps every run takes before it knows what it is for: the texts, the paths beside the
// program, and the single instance.
#pragma once

// False when another instance runs: it was asked to come to the front and this run ends.
bool BeginRun(const char* argv0);
