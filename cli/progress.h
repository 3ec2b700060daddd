// The progress bar of a video render: one line on stderr, redrawn in place at most ten times a
// second: frames done/total, a bar, frames per second and the time left. Drawn only when stderr is
// a terminal, so logs and pipes get nothing.
#ifndef ORVANE_CLI_PROGRESS_H
#define ORVANE_CLI_PROGRESS_H

#include <chrono>
#include <string>

namespace orvcli {

class Progress {
public:
    // total < 0 when the frame count is unknown: no bar, no time left.
    Progress(long long total, bool enabled);
    void Update(long long done);
    // All `done` frames are with the encoder, which is still writing: "finishing" in place of the time.
    void Finishing(long long done);
    // The final line, kept on screen.
    void Finish(long long done);
    // Ends a drawn line so that a message can follow it.
    void Abandon();

    // The line for `done` frames after `seconds`; a `state` in place of the time left or taken.
    static std::string Line(long long done, long long total, double seconds, const std::string &state = "");

private:
    void Draw(long long done, const std::string &state = "");

    long long total;
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point start, last;
};

}  // namespace orvcli

#endif
