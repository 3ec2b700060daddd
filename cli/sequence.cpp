#include "sequence.h"

#include <OpenImageIO/filesystem.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "image_io.h"
#include "progress.h"

namespace orvcli {

bool ParseFrameRange(const std::string &text, FrameRange *range, std::string *error) {
    // Strictly A-B or A-BxS (OpenImageIO's enumerate_sequence also takes lists, reversed and
    // complementary ranges, which a farm's chunk never is, and says nothing about what is wrong).
    size_t at = 0;
    auto number = [&](long long *v) {
        size_t start = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 9) ++at;
        *v = at > start ? std::stoll(text.substr(start, at - start)) : -1;
        return at > start;
    };
    bool ok = number(&range->first);
    range->last = range->first, range->step = 1;
    if (ok && at < text.size() && text[at] == '-') ++at, ok = number(&range->last);
    if (ok && at < text.size() && text[at] == 'x') ++at, ok = number(&range->step);
    if (!ok || at != text.size() || range->last < range->first || range->step < 1) {
        *error = "--frames " + text + ": expected FIRST-LAST or FIRST-LASTxSTEP, frame numbers from 0 with FIRST <= LAST "
                 "and STEP >= 1, for example --frames 1001-1100 or --frames 0-99x4";
        return false;
    }
    range->given = true;
    return true;
}

std::string FramePattern(const std::string &name) {
    if (name.find_first_of("#@%") == std::string::npos) return "";
    // OpenImageIO reads one # as four digits; here every # is one digit, as @ is.
    std::string ats = name, pattern, framespec;
    for (char &c : ats)
        if (c == '#') c = '@';
    if (!OIIO::Filesystem::parse_pattern(ats.c_str(), 0, pattern, framespec) || !framespec.empty()) return "";
    return pattern.find('%') == std::string::npos ? "" : pattern;
}

std::string FrameName(const std::string &pattern, long long n) {
    std::vector<std::string> names;
    OIIO::Filesystem::enumerate_file_sequence(pattern, {static_cast<int>(n)}, names);
    return names.empty() ? "" : names[0];
}

Outcome RenderStill(const std::string &input, const Still &still, const std::string &output, FrameJob &job) {
    std::unique_lock<std::mutex> hold;
    if (job.effect) hold = std::unique_lock<std::mutex>(*job.effect);
    const bool quiet = job.warned;  // a sequence warns for its first frame alone
    job.warned = job.warned || !still.conversion.empty();
    if (!still.conversion.empty() && !quiet)
        std::fprintf(stderr, "orvane: warning: %s has %s\n", input.c_str(), still.conversion.c_str());
    aehost::Image result;
    Outcome outcome = job.frame(still.image, result);
    if (!outcome.ok()) return outcome;
    if (hold) hold.unlock();  // the effect is done; the frame is written alongside the other thread's
    std::string dropped, error;
    if (!WriteStill(output, result, still.tags, job.grey, &dropped, &error)) return Outcome::Fail(2, error);
    if (hold.mutex()) hold.lock();
    job.warned = job.warned || !dropped.empty();
    if (!dropped.empty() && !quiet)
        std::fprintf(stderr, "orvane: warning: %s was written without %s's %s\n", output.c_str(), input.c_str(), dropped.c_str());
    return Outcome::Ok();
}

Outcome RunStill(const std::string &input, const std::string &output, FrameJob &job) {
    Still still;
    std::string error;
    if (!ReadStill(input, &still, &error)) return Outcome::Fail(2, error);
    return RenderStill(input, still, output, job);
}

Outcome RunStillSequence(const std::string &input, const std::string &output, const FrameRange &range, FrameJob &job) {
    FrameRange frames = range;
    if (!range.given) {
        std::vector<int> found;
        std::vector<std::string> names;
        const std::string scanned = input.find('/') == std::string::npos ? "./" + input : input;  // names a folder
        OIIO::Filesystem::scan_for_matching_filenames(scanned, found, names);
        frames.first = frames.last = -1;
        for (size_t i = 0; i < found.size(); ++i)  // a name with more digits than the pattern's is another file
            if (found[i] >= 0 && names[i] == FrameName(scanned, found[i])) {
                frames.first = frames.first < 0 ? found[i] : std::min<long long>(frames.first, found[i]);
                frames.last = std::max<long long>(frames.last, found[i]);
            }
        if (frames.first < 0) return Outcome::Fail(2, "no frame of " + input + " exists (no file such as " + FrameName(input, 1001) + ")");
    }
    std::vector<long long> todo;
    for (long long n = frames.first; n <= frames.last; n += frames.step) {
        if (access(FrameName(input, n).c_str(), R_OK) != 0)
            return Outcome::Fail(2, "frame " + std::to_string(n) + " is missing: cannot read " + FrameName(input, n) + " (frames " +
                                        std::to_string(frames.first) + "-" + std::to_string(frames.last) +
                                        " were asked for; nothing was written)");
        if (!job.skipExisting || access(FrameName(output, n).c_str(), F_OK) != 0) todo.push_back(n);
    }
    Progress progress(static_cast<long long>(todo.size()), isatty(STDERR_FILENO) != 0);
    // Frames are read, rendered and written by two threads at once, so that decoding and encoding
    // use both cores; the effect renders one frame at a time (one host).
    std::mutex lock;  // the effect, the warnings, the progress and the first failure
    job.effect = &lock;
    std::atomic<size_t> next{0};
    Outcome failure = Outcome::Ok();
    long long done = 0;
    auto work = [&] {
        for (size_t i; (i = next++) < todo.size();) {
            const std::string in = FrameName(input, todo[i]);
            Still still;
            std::string error;
            Outcome outcome = ReadStill(in, &still, &error) ? RenderStill(in, still, FrameName(output, todo[i]), job) : Outcome::Fail(2, error);
            std::lock_guard<std::mutex> hold(lock);
            if (!outcome.ok() && failure.ok()) failure = outcome;
            if (!failure.ok()) return next.store(todo.size());
            progress.Update(++done);
        }
    };
    std::thread other(work);
    work();
    other.join();
    job.effect = nullptr;
    if (!failure.ok()) {
        progress.Abandon();
        return failure;
    }
    progress.Finish(done);
    return Outcome::Ok();
}

}  // namespace orvcli
