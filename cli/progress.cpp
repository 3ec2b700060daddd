#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace orvcli {

namespace {

std::string Clock(double seconds) {
    long s = static_cast<long>(seconds + 0.5);
    char buffer[32];
    if (s >= 3600)
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld", s / 60, s % 60);
    return buffer;
}

}  // namespace

Progress::Progress(long long total_, bool enabled_)
    : total(total_), enabled(enabled_), start(std::chrono::steady_clock::now()), last(start) {}

std::string Progress::Line(long long done, long long total, double seconds, const std::string &state) {
    double fps = seconds > 0.0 ? done / seconds : 0.0;
    char buffer[160];
    if (total <= 0) {
        std::snprintf(buffer, sizeof buffer, "%lld frames  %.1f fps%s", done, fps, state.empty() ? "" : ("  " + state).c_str());
        return buffer;
    }
    const int width = 30;
    long long shown = done < total ? done : total;
    int filled = static_cast<int>(shown * width / total);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(width - filled), '.');
    std::string eta = !state.empty() ? state : done >= total ? "took " + Clock(seconds) : fps > 0.0 ? "ETA " + Clock((total - done) / fps) : "";
    std::snprintf(buffer, sizeof buffer, "%lld/%lld frames [%s] %3lld%%  %.1f fps  %s", done, total, bar.c_str(),
                  shown * 100 / total, fps, eta.c_str());
    return buffer;
}

void Progress::Draw(long long done, const std::string &state) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string line = "\r" + Line(done, total, seconds, state) + "\x1b[K";  // erase what a longer line left
    ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
    (void)ignored;
    drawn = true;
}

void Progress::Update(long long done) {
    if (!enabled) return;
    auto now = std::chrono::steady_clock::now();
    if (drawn && now - last < std::chrono::milliseconds(100)) return;
    last = now;
    Draw(done);
}

void Progress::Finishing(long long done) {
    if (enabled) Draw(done, "finishing");
}

void Progress::Finish(long long done) {
    if (!enabled) return;
    if (total > 0) total = done;  // the count ffprobe gave was an estimate
    Draw(done);
    ssize_t ignored = write(STDERR_FILENO, "\n", 1);
    (void)ignored;
    drawn = false;
}

void Progress::Abandon() {
    if (!enabled || !drawn) return;
    ssize_t ignored = write(STDERR_FILENO, "\n", 1);
    (void)ignored;
    drawn = false;
}

}  // namespace orvcli
