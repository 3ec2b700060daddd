// Child processes (ffmpeg, ffprobe) started without a shell, talking through pipes. Each child gets
// its own process group, so a Ctrl-C at the terminal reaches orvane alone and orvane decides what
// happens to the children (see interrupt.h). Their standard error is collected for messages.
#ifndef ORVANE_CLI_PROCESS_H
#define ORVANE_CLI_PROCESS_H

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvcli {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // kills and reaps a child still running
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts argv[0] (looked up in PATH). With pipeIn/pipeOut, StdinFd()/StdoutFd() are our ends;
    // otherwise the child's stdin/stdout is /dev/null.
    bool Start(const std::vector<std::string> &argv, bool pipeIn, bool pipeOut, std::string *error);

    int StdinFd() const { return stdinFd; }
    int StdoutFd() const { return stdoutFd; }
    void CloseStdin();
    void CloseStdout();

    // Waits for the child; returns its exit status, or 128 + signal when a signal ended it.
    int Wait();
    void Kill();

    // The last few kilobytes the child wrote to standard error (complete once Wait returned).
    std::string ErrorText();

private:
    pid_t pid = -1;
    int stdinFd = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
    std::thread errorReader;
    std::mutex errorMutex;
    std::string errorText;
};

// Runs a command to its end and returns its standard output; false (with its standard error in
// `error`) when it could not start or exited with a status other than 0.
bool RunCapture(const std::vector<std::string> &argv, std::string *output, std::string *error);

}  // namespace orvcli

#endif
