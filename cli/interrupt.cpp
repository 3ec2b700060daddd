#include "interrupt.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace orvcli {

namespace {

// Read by the handler: plain arrays, changed only with the handled signals blocked.
constexpr int kMaxChildren = 8;
constexpr int kMaxTemps = 8;  // one per thread writing an output
char tempPaths[kMaxTemps][4096];
// 0 free, 1 taken and being filled or emptied, 2 a path to remove: a slot is read only at 2, so
// the handler, on whichever thread it runs, never sees a path half written.
std::atomic<int> tempStates[kMaxTemps];
pid_t children[kMaxChildren];

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

class BlockSignals {
public:
    BlockSignals() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &previous);
    }
    ~BlockSignals() { sigprocmask(SIG_SETMASK, &previous, nullptr); }

private:
    sigset_t previous;
};

void OnSignal(int signal) {
    // Children first, and waited for, so that none can write the file again after it is removed.
    for (pid_t pid : children)
        if (pid > 0) kill(pid, SIGKILL);
    for (pid_t pid : children)
        if (pid > 0) waitpid(pid, nullptr, 0);
    for (int i = 0; i < kMaxTemps; ++i)
        if (tempStates[i].load() == 2) unlink(tempPaths[i]);
    static const char kMessage[] = "\norvane: interrupted; no output was left half-written\n";
    ssize_t ignored = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    (void)ignored;
    _exit(128 + signal);
}

}  // namespace

void InstallInterruptHandlers() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaddset(&action.sa_mask, s);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) sigaction(s, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

int AddInterruptTemp(const std::string &path) {
    if (path.size() >= sizeof tempPaths[0]) return -1;  // too long to register: not at all
    for (int i = 0; i < kMaxTemps; ++i) {
        int free = 0;
        if (!tempStates[i].compare_exchange_strong(free, 1)) continue;
        std::memcpy(tempPaths[i], path.c_str(), path.size() + 1);
        tempStates[i].store(2);
        return i;
    }
    return -1;
}

void RemoveInterruptTemp(int slot) {
    if (slot < 0) return;
    tempStates[slot].store(1);
    tempStates[slot].store(0);
}

void AddInterruptChild(pid_t pid) {
    BlockSignals block;
    for (pid_t &slot : children)
        if (slot <= 0) {
            slot = pid;
            return;
        }
}

int ReapInterruptChild(pid_t pid) {
    BlockSignals block;
    for (pid_t &slot : children)
        if (slot == pid) slot = 0;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace orvcli
