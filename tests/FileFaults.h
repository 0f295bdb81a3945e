// The tests' plan of file faults, installed in the file layer's step hook while armed: which
// call of which file step fails, with which error, and what another program does just before a
// chosen call goes on.
#pragma once

#include <functional>
#include <string>

#include "platform/Files.h"

// A chosen call of a step fails with a chosen error. n counts the calls since arming, from 1;
// 0 only counts them. With a path, only calls on that file count.
void ArmFileFault(FileStep step, int n, int error, const std::string& path = std::string());
// The same plan runs hook at the nth call of a step, just before the call goes on: what another
// program does at that moment (a rename over the file, say).
void ArmFileHook(FileStep step, int n, std::function<void()> hook, const std::string& path = std::string());
void DisarmFileFaults();
int FileStepsSeen(FileStep step);
