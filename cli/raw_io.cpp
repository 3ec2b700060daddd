#include "raw_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "output_file.h"

namespace orvcli {

bool ParseRawSize(const std::string &text, int32_t *width, int32_t *height, std::string *error) {
    size_t x = text.find_first_of("xX");
    auto digits = [](const std::string &s) {
        if (s.empty() || s.size() > 6) return false;
        for (char c : s)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return true;
    };
    if (x == std::string::npos || !digits(text.substr(0, x)) || !digits(text.substr(x + 1))) {
        *error = "--raw " + text + ": expected the frame size as WxH in pixels, for example --raw 1920x1080";
        return false;
    }
    long w = std::strtol(text.substr(0, x).c_str(), nullptr, 10);
    long h = std::strtol(text.substr(x + 1).c_str(), nullptr, 10);
    if (!CheckFrameSize(w, h, "--raw " + text, error)) return false;
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return true;
}

long long ReadFull(int fd, uint8_t *buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<long long>(done);
}

bool WriteFull(int fd, const uint8_t *data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

namespace {

class InputFd {
public:
    ~InputFd() {
        if (fd > STDIN_FILENO) close(fd);
    }
    int fd = -1;
};

}  // namespace

Outcome RunRaw(const std::string &input, const std::string &output, int32_t width, int32_t height,
               const FrameFunction &frame) {
    const size_t frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    const std::string inName = input == "-" ? "standard input" : input;
    InputFd in;
    in.fd = input == "-" ? STDIN_FILENO : open(input.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) return Outcome::Fail(2, "cannot read " + input + ": " + std::strerror(errno));
    struct stat info;
    if (fstat(in.fd, &info) == 0 && S_ISREG(info.st_mode)) {
        unsigned long long size = static_cast<unsigned long long>(info.st_size);
        if (size == 0 || size % frameBytes != 0)
            return Outcome::Fail(2, inName + " holds " + std::to_string(size) + " bytes, which is not a whole number of " +
                                        std::to_string(width) + "x" + std::to_string(height) +
                                        " ARGB frames (" + std::to_string(frameBytes) + " bytes each)");
    }

    OutputFile out;
    std::string error;
    if (!out.Open(output, &error)) return Outcome::Fail(2, error);
    const std::string outName = out.IsStdout() ? "standard output" : output;

    aehost::Image source = aehost::Image::Make(width, height);
    aehost::Image result;
    long long frames = 0;
    for (;;) {
        long long got = ReadFull(in.fd, source.pixels.data(), frameBytes);
        if (got < 0) return Outcome::Fail(2, "cannot read " + inName + ": " + std::strerror(errno));
        if (got == 0) break;
        if (static_cast<size_t>(got) < frameBytes) {
            std::string written = out.IsStdout() ? " were written to standard output" : " were rendered; nothing was written";
            return Outcome::Fail(2, inName + " ended inside frame " + std::to_string(frames + 1) + " (" +
                                        std::to_string(got) + " of " + std::to_string(frameBytes) + " bytes); the " +
                                        std::to_string(frames) + " complete frames before it" + written);
        }
        Outcome outcome = frame(source, result);
        if (!outcome.ok()) return outcome;
        if (!WriteFull(out.Fd(), result.pixels.data(), frameBytes))
            return Outcome::Fail(2, "cannot write " + outName + ": " + std::strerror(errno));
        ++frames;
    }
    if (frames == 0) return Outcome::Fail(2, inName + " holds no frame");
    if (!out.Commit(&error)) return Outcome::Fail(2, error);
    return Outcome::Ok();
}

}  // namespace orvcli
