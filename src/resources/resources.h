// The module's declared identity, compiled in for hosts without Windows resources, from the same
// definitions the Windows resource script uses.
#ifndef ORV_RESOURCES_RESOURCES_H
#define ORV_RESOURCES_RESOURCES_H

#include <cstddef>
#include <cstdint>

#include "resources/plugin_info.h"

namespace orv {

enum class PiplEntryKey { Win32X86, Win64X86 };

// The property list bytes exactly as stored in resource "PIPL" 16000 of the Windows module with
// that entry key (322 bytes for the 32-bit list, 342 for the 64-bit one with eGL2).
const uint8_t *PiplBytes(PiplEntryKey key, size_t *size);

// The string-table text of a resource id, or null when the table has no such entry.
const char *StringTableText(int id);

constexpr uint32_t PackVersion(uint32_t major, uint32_t minor, uint32_t bugfix, uint32_t stage, uint32_t build) {
    return (major << 19) | (minor << 15) | (bugfix << 11) | (stage << 9) | build;
}

static_assert(ORV_VERSION_WORD == PackVersion(ORV_VERSION_MAJOR, ORV_VERSION_MINOR, ORV_VERSION_BUGFIX,
                                              ORV_VERSION_STAGE, ORV_VERSION_BUILD),
              "version word and version numbers disagree");
static_assert(ORV_GLOBAL_OUTFLAGS == (ORV_EFFECT_OUTFLAGS | 1), "global out flags = effect flags + keep open");
static_assert(ORV_THREADED_OUTFLAGS2 == (1 << 27), "threaded rendering is bit 27 of the second word");

}  // namespace orv

#endif
