#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "interrupt.h"

extern char **environ;

namespace orvcli {

namespace {

constexpr size_t kErrorTail = 8192;

void CloseFd(int &fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (pid > 0) {
        Kill();
        Wait();
    }
    CloseStdin();
    CloseStdout();
    if (errorReader.joinable()) errorReader.join();
}

bool ChildProcess::Start(const std::vector<std::string> &argv, bool pipeIn, bool pipeOut, std::string *error) {
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    // Close-on-exec everywhere: a second child must not hold the first one's pipe ends open, or
    // the first would never see the end of its input.
    bool piped = (!pipeIn || pipe2(in, O_CLOEXEC) == 0) && (!pipeOut || pipe2(out, O_CLOEXEC) == 0) &&
                 pipe2(err, O_CLOEXEC) == 0;
    if (!piped) {
        *error = std::string("cannot create a pipe: ") + std::strerror(errno);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            if (fd >= 0) close(fd);
        return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (pipeIn)
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (pipeOut)
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // orvane ignores it; the child should not inherit that
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    int status = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    for (int fd : {in[0], out[1], err[1]})
        if (fd >= 0) close(fd);
    if (status != 0) {
        pid = -1;
        *error = "cannot run " + argv[0] + ": " + std::strerror(status);
        for (int fd : {in[1], out[0], err[0]})
            if (fd >= 0) close(fd);
        return false;
    }
    AddInterruptChild(pid);
    stdinFd = in[1];
    stdoutFd = out[0];
    stderrFd = err[0];
    // The reader inherits a mask without the interrupt signals: only the main thread, which
    // changes what the handler reads, takes them.
    sigset_t handled, previous;
    sigemptyset(&handled);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&handled, s);
    pthread_sigmask(SIG_BLOCK, &handled, &previous);
    errorReader = std::thread([this] {
        char buffer[4096];
        for (;;) {
            ssize_t n = read(stderrFd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            std::lock_guard<std::mutex> lock(errorMutex);
            errorText.append(buffer, static_cast<size_t>(n));
            if (errorText.size() > 2 * kErrorTail) errorText.erase(0, errorText.size() - kErrorTail);
        }
        CloseFd(stderrFd);
    });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return true;
}

void ChildProcess::CloseStdin() { CloseFd(stdinFd); }
void ChildProcess::CloseStdout() { CloseFd(stdoutFd); }

void ChildProcess::Kill() {
    if (pid > 0) kill(pid, SIGKILL);
}

int ChildProcess::Wait() {
    if (pid <= 0) return -1;
    // Wait without reaping: until the child is reaped, an interrupt still kills and waits for it.
    siginfo_t info;
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    int status = ReapInterruptChild(pid);
    pid = -1;
    if (errorReader.joinable()) errorReader.join();
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::string ChildProcess::ErrorText() {
    std::lock_guard<std::mutex> lock(errorMutex);
    std::string text = errorText.size() > kErrorTail ? errorText.substr(errorText.size() - kErrorTail) : errorText;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

bool RunCapture(const std::vector<std::string> &argv, std::string *output, std::string *error) {
    ChildProcess child;
    if (!child.Start(argv, false, true, error)) return false;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(child.StdoutFd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output->append(buffer, static_cast<size_t>(n));
    }
    child.CloseStdout();
    int status = child.Wait();
    if (status != 0) {
        *error = child.ErrorText();
        if (error->empty()) *error = argv[0] + " exited with status " + std::to_string(status);
        return false;
    }
    return true;
}

}  // namespace orvcli
