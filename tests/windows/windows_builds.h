// Where the native tests find the two Windows builds, and what each must be.
#ifndef ORV_TESTS_WINDOWS_WINDOWS_BUILDS_H
#define ORV_TESTS_WINDOWS_WINDOWS_BUILDS_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <sys/stat.h>

#include "resources/resources.h"
#include "windows/pipl_reader.h"

namespace orvtest {

struct WindowsBuild {
    const char *label;
    const char *dir;  // the cross build folder
    uint16_t machine, magic;
    uint32_t entryKey;
    orv::PiplEntryKey piplKey;

    std::string Module() const { return std::string(dir) + "/OrvaneBrightnessContrast.aex"; }
};

inline const WindowsBuild kWin32{"win32", ORV_WINDOWS_I686_DIR, 0x014C, 0x010B, FourCC("wx86"),
                                 orv::PiplEntryKey::Win32X86};
inline const WindowsBuild kWin64{"win64", ORV_WINDOWS_X64_DIR, 0x8664, 0x020B, FourCC("8664"),
                                 orv::PiplEntryKey::Win64X86};

inline bool FileExists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Outside the full test run (ORV_REQUIRE_WINDOWS off) a missing cross build is skipped; in it, a
// missing build is a failure.
#define ORV_NEED_FILE(path, what)                                                                          \
    do {                                                                                                   \
        if (!::orvtest::FileExists(path)) {                                                                \
            if (ORV_REQUIRE_WINDOWS) FAIL() << (what) << " missing: " << (path);                          \
            GTEST_SKIP() << (what) << " not built (" << (path)                                             \
                         << "); build the mingw presets or configure with -DORV_REQUIRE_WINDOWS=ON";       \
        }                                                                                                  \
    } while (0)

}  // namespace orvtest

#endif
