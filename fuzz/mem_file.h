// An anonymous in-memory file with a path (/proc/self/fd/N), so code that opens files by name can be
// fed fuzzer bytes without touching the disk.
#ifndef ORV_FUZZ_MEM_FILE_H
#define ORV_FUZZ_MEM_FILE_H

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvfuzz {

class MemFile {
public:
    explicit MemFile(const std::vector<uint8_t> &contents = {}) : fd(memfd_create("orvane-fuzz", MFD_CLOEXEC)) {
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        size_t done = 0;
        while (done < contents.size()) {
            const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
            if (n <= 0) std::abort();
            done += static_cast<size_t>(n);
        }
        lseek(fd, 0, SEEK_SET);
    }
    ~MemFile() { close(fd); }
    MemFile(const MemFile &) = delete;
    MemFile &operator=(const MemFile &) = delete;

    int Fd() const { return fd; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd); }

private:
    int fd;
};

}  // namespace orvfuzz

#endif
