// A stand-in process for the single-instance tests: claims the instance under the name
// given; the first instance listens and prints every message it gets until told to stop.
//   instance_probe NAME [listen-delay-ms] [run-ms]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/Instance.h"

namespace {

void Print(std::uint32_t message) {
    std::printf("message %u\n", message);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string name = argv[1];
    int listenDelay = argc > 2 ? std::atoi(argv[2]) : 0;
    int runTime = argc > 3 ? std::atoi(argv[3]) : 10000;
    InstanceClaim claim = ClaimSingleInstance(name, argc > 4 ? argv[4] : "");
    if (claim == kInstanceLockFailed) {
        std::printf("no lock\n");
        return 4;
    }
    if (claim == kInstanceSecond) {
        std::printf("second %d\n", SendToFirstInstance(name, RegisterMessage(name)) ? 1 : 0);
        return 0;
    }
    std::printf("first\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(listenDelay));
    if (!StartInstanceListener(name, Print)) return 3;
    std::printf("listening\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(runTime));
    return 0;
}
