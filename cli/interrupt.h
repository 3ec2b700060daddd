// Ctrl-C and friends: on SIGINT, SIGTERM or SIGHUP, orvane kills the ffmpeg children it started,
// removes the temporary output it was writing and exits with 128 + the signal number. The handler
// does only async-signal-safe work on state registered here.
#ifndef ORVANE_CLI_INTERRUPT_H
#define ORVANE_CLI_INTERRUPT_H

#include <sys/types.h>

#include <string>

namespace orvcli {

// Installs the handlers and ignores SIGPIPE (a closed pipe shows up as a write error instead).
void InstallInterruptHandlers();

// A temporary output file to remove when interrupted (up to eight at a time, from any thread): its
// slot, or -1 when none is free (the file is then left behind by an interrupt); the slot freed.
int AddInterruptTemp(const std::string &path);
void RemoveInterruptTemp(int slot);

// Child processes to kill when interrupted.
void AddInterruptChild(pid_t pid);
// Reaps a child that has ended (see waitid's WNOWAIT) and forgets it in one step, so that the
// handler never kills a process id that is no longer ours. Returns waitpid's status.
int ReapInterruptChild(pid_t pid);

}  // namespace orvcli

#endif
