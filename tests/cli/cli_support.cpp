#include "cli_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

extern char **environ;

namespace clitest {

PF_Fixed Fix(double value) { return static_cast<PF_Fixed>(value * 65536.0); }

testing::AssertionResult SameBytes(const std::string &a, const std::string &b) {
    if (a == b) return testing::AssertionSuccess();
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << "sizes " << a.size() << " and " << b.size() << ", first difference at byte " << i;
    if (i < a.size() && i < b.size())
        failure << " (pixel " << i / 4 << ", byte " << i % 4 << "): " << int(uint8_t(a[i])) << " vs " << int(uint8_t(b[i]));
    return failure;
}

testing::AssertionResult SameBytes(const Bytes &a, const Bytes &b) { return SameBytes(AsString(a), AsString(b)); }

Result RunProgram(const std::vector<std::string> &argv, const std::string &input,
               const std::vector<std::string> &environment) {
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) env.push_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char *> args, envp;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    for (const std::string &e : env) envp.push_back(const_cast<char *>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid;
    sigset_t defaults;  // the test runner ignores SIGPIPE; the child should not inherit that
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) throw std::runtime_error("cannot run " + argv[0]);

    Result run;
    size_t written = 0;
    int inFd = in[1];
    if (input.empty()) close(inFd), inFd = -1;
    for (int open = 2; open > 0;) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
        poll(fds, inFd >= 0 ? 3 : 2, -1);
        for (int i = 0; i < 2; ++i)
            if (fds[i].fd >= 0 && fds[i].revents) {
                char buffer[65536];
                ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) (i ? run.err : run.out).append(buffer, static_cast<size_t>(n));
                if (n == 0 || (n < 0 && errno != EINTR)) close(fds[i].fd), (i ? err[0] : out[0]) = -1, --open;
            }
        if (inFd >= 0 && fds[2].revents) {
            ssize_t n = write(inFd, input.data() + written, std::min<size_t>(input.size() - written, 65536));
            if (n > 0) written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) close(inFd), inFd = -1;
        }
    }
    if (inFd >= 0) close(inFd);
    int status;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

Result Orvane(const std::vector<std::string> &args, const std::string &input, const std::vector<std::string> &environment) {
    std::vector<std::string> argv = {ORVANE_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, input, environment);
}

static int folders = 0;

ScratchDir::ScratchDir()
    : path(std::string(ORV_TEST_OUTPUT_DIR) + "/scratch-" + std::to_string(getpid()) + "-" + std::to_string(++folders)) {
    mkdir(path.c_str(), 0755);
}

ScratchDir::~ScratchDir() {
    for (const std::string &name : Names()) unlink((path + "/" + name).c_str());
    rmdir(path.c_str());
}

std::vector<std::string> ScratchDir::Names() const {
    std::vector<std::string> names;
    if (DIR *dir = opendir(path.c_str())) {
        while (dirent *entry = readdir(dir))
            if (std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, "..")) names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

bool Exists(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string ReadText(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

Bytes ReadBytes(const std::string &path) {
    std::string text = ReadText(path);
    return Bytes(text.begin(), text.end());
}

void WriteBytes(const std::string &path, const Bytes &bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string AsString(const Bytes &bytes) { return std::string(bytes.begin(), bytes.end()); }

aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height) {
    aehost::Image image = aehost::Image::Make(width, height);
    for (uint8_t &b : image.pixels) b = static_cast<uint8_t>(rng());
    return image;
}

aehost::Image FromPacked(const Bytes &argb, int32_t width, int32_t height) {
    aehost::Image image = aehost::Image::Make(width, height);
    if (argb.size() != image.pixels.size()) throw std::runtime_error("frame size");
    image.pixels = argb;
    return image;
}

static png_image Begin(const std::string &path, png_uint_32 format) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) throw std::runtime_error("cannot read " + path);
    image.format = format;
    return image;
}

aehost::Image ReadPngArgb(const std::string &path) {
    png_image png = Begin(path, PNG_FORMAT_ARGB);
    aehost::Image image = aehost::Image::Make(static_cast<int32_t>(png.width), static_cast<int32_t>(png.height));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) throw std::runtime_error(png.message);
    return image;
}

Bytes ReadPngGrey(const std::string &path, int32_t *width, int32_t *height) {
    png_image png = Begin(path, PNG_FORMAT_GRAY);
    Bytes grey(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, grey.data(), 0, nullptr)) throw std::runtime_error(png.message);
    *width = static_cast<int32_t>(png.width);
    *height = static_cast<int32_t>(png.height);
    return grey;
}

void PngHeader(const std::string &path, int *bitDepth, int *colorType) {
    Bytes file = ReadBytes(path);
    if (file.size() < 26) throw std::runtime_error("short PNG " + path);
    *bitDepth = file[24];
    *colorType = file[25];
}

void WritePng(const std::string &path, int32_t width, int32_t height, int colorType, int bitDepth,
              const std::vector<uint16_t> &samples) {
    FILE *file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("cannot write " + path);
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    const size_t perRow = samples.size() / static_cast<size_t>(height);
    Bytes row;
    for (int32_t y = 0; y < height; ++y) {
        row.clear();
        for (size_t i = 0; i < perRow; ++i) {
            uint16_t v = samples[static_cast<size_t>(y) * perRow + i];
            if (bitDepth == 16) row.push_back(static_cast<uint8_t>(v >> 8));  // big-endian
            row.push_back(static_cast<uint8_t>(v));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

static aehost::Module &Load(aehost::Module &module, const char *path) {
    std::string error;
    if (!module.Entry() && !module.Load(path, &error)) throw std::runtime_error(error);
    return module;
}

aehost::Image ReferenceRender(const aehost::Image &input, const std::function<void(aehost::Host &)> &set,
                              int32_t downsampleNum, uint32_t downsampleDen) {
    static aehost::Module module;
    aehost::Host host(Load(module, ORV_MODULE_PATH).Entry());
    host.GlobalSetup();
    host.ParamsSetup();
    set(host);
    host.SetDownsample(downsampleNum, downsampleDen);
    aehost::Image out;
    host.Render(input, out);
    return out;
}

long RenderAllocations(const aehost::Image &input) {
    static aehost::Module module;
    Load(module, ORV_FAULT_MODULE_PATH);
    auto fail = reinterpret_cast<void (*)(long)>(module.Symbol("OrvTestFailAllocation"));
    auto count = reinterpret_cast<long (*)()>(module.Symbol("OrvTestAllocationCount"));
    aehost::Host host(module.Entry());
    host.GlobalSetup();
    host.ParamsSetup();
    aehost::Image out;
    fail(0);
    host.Render(input, out);
    return count();
}

}  // namespace clitest
