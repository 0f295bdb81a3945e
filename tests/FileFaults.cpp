// The tests' fault plan behind the file layer's step hook. Tests arm it while the program's own
// threads may be doing file work, so the plan is read and written under its lock only; a hook
// runs unlocked, since what another program does there passes the seam too.
#include "FileFaults.h"

#include <cerrno>
#include <mutex>

namespace {

struct FaultPlan {
    std::mutex lock;
    bool armed = false;  // a call that took the hook just before disarming counts nothing
    std::string path;    // when set, only calls on this file count
    int seen[kFileSteps] = {};
    int failAt[kFileSteps] = {};
    int error[kFileSteps] = {};
    int hookAt[kFileSteps] = {};
    std::function<void()> hook[kFileSteps];
};
FaultPlan s_faults;

bool TakeStep(FileStep step, const std::string& path) {
    std::unique_lock<std::mutex> hold(s_faults.lock);
    if (!s_faults.armed || (!s_faults.path.empty() && path != s_faults.path)) return false;
    int call = ++s_faults.seen[step];
    if (s_faults.hookAt[step] != 0 && call == s_faults.hookAt[step]) {
        std::function<void()> hook = std::move(s_faults.hook[step]);
        s_faults.hookAt[step] = 0;
        hold.unlock();
        hook();
        hold.lock();
    }
    if (s_faults.failAt[step] == 0 || call != s_faults.failAt[step]) return false;
    errno = s_faults.error[step];
    return true;
}

}  // namespace

void ArmFileFault(FileStep step, int n, int error, const std::string& path) {
    {
        std::lock_guard<std::mutex> hold(s_faults.lock);
        s_faults.armed = true;
        s_faults.path = path;
        s_faults.seen[step] = 0;
        s_faults.failAt[step] = n;
        s_faults.error[step] = error;
    }
    SetFileStepHook(TakeStep);
}

void ArmFileHook(FileStep step, int n, std::function<void()> hook, const std::string& path) {
    {
        std::lock_guard<std::mutex> hold(s_faults.lock);
        s_faults.armed = true;
        s_faults.path = path;
        s_faults.seen[step] = 0;
        s_faults.hookAt[step] = n;
        s_faults.hook[step] = std::move(hook);
    }
    SetFileStepHook(TakeStep);
}

void DisarmFileFaults() {
    SetFileStepHook(nullptr);
    std::lock_guard<std::mutex> hold(s_faults.lock);
    s_faults.armed = false;
    s_faults.path.clear();
    for (int step = 0; step < kFileSteps; ++step) {
        s_faults.seen[step] = s_faults.failAt[step] = s_faults.error[step] = s_faults.hookAt[step] = 0;
        s_faults.hook[step] = nullptr;
    }
}

int FileStepsSeen(FileStep step) {
    std::lock_guard<std::mutex> hold(s_faults.lock);
    return s_faults.seen[step];
}
