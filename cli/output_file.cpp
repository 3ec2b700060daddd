#include "output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "interrupt.h"

namespace orvcli {

std::string Extension(const std::string &path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    if (dot == (slash == std::string::npos ? 0 : slash + 1)) return "";  // ".hidden" has none
    return path.substr(dot);
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string &path, std::string *error) {
    if (path == "-") {
        toStdout = true;
        fd = STDOUT_FILENO;
        return true;
    }
    final = path;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string extension = Extension(base);
    std::string pattern = folder + "." + base + ".orvane-XXXXXX" + extension;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd = mkostemps(buffer.data(), static_cast<int>(extension.size()), O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    temp = buffer.data();
    interruptSlot = AddInterruptTemp(temp);
    return true;
}

void OutputFile::CloseFd() {
    if (!toStdout && fd >= 0) close(fd);
    fd = -1;
}

bool OutputFile::Commit(std::string *error) {
    if (toStdout) return true;
    // On disk before it takes the final name (a file another process wrote is opened for this).
    int syncFd = fd >= 0 ? fd : open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    bool synced = syncFd >= 0 && (fsync(syncFd) == 0 || errno == EINVAL);
    int why = errno;
    if (syncFd >= 0 && syncFd != fd) close(syncFd);
    if (!synced) {
        *error = "cannot write " + final + ": " + std::strerror(why);
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    if (chmod(temp.c_str(), 0666 & ~mask) != 0 || rename(temp.c_str(), final.c_str()) != 0) {
        *error = "cannot write " + final + ": " + std::strerror(errno);
        return false;
    }
    RemoveInterruptTemp(interruptSlot);
    interruptSlot = -1;
    CloseFd();
    committed = true;
    return true;
}

void OutputFile::Discard() {
    CloseFd();
    if (!temp.empty() && !committed) {
        unlink(temp.c_str());
        RemoveInterruptTemp(interruptSlot);
        interruptSlot = -1;
    }
    temp.clear();
}

bool SameFile(const std::string &input, const std::string &output) {
    if (input == "-" || output == "-") return false;
    struct stat a, b;
    if (stat(input.c_str(), &a) == 0 && stat(output.c_str(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    char resolvedInput[PATH_MAX], resolvedOutput[PATH_MAX];
    if (!realpath(input.c_str(), resolvedInput) || !realpath(output.c_str(), resolvedOutput)) return input == output;
    return std::strcmp(resolvedInput, resolvedOutput) == 0;
}

}  // namespace orvcli
