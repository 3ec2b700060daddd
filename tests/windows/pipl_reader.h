// A plug-in property list (resource "PIPL" 16000) read the way an After Effects host reads it on
// Windows, and the checks of every property this effect must declare. Shared by the Windows host
// program and the native checks of the built modules; independent of the module's own sources.
#ifndef ORV_TESTS_WINDOWS_PIPL_READER_H
#define ORV_TESTS_WINDOWS_PIPL_READER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvtest {

// A four-character code as the 32-bit number the list stores little-endian ('kind' = 0x6B696E64).
constexpr uint32_t FourCC(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8 | static_cast<uint8_t>(s[3]);
}
std::string FourCCText(uint32_t code);

struct PiplProperty {
    uint32_t vendor = 0, key = 0, id = 0, length = 0;
    std::vector<uint8_t> data;  // `length` bytes
};

// Header (16-bit version 1, 32-bit reserved, 32-bit count), then each property: vendor, key, id,
// length, data, the next one at the following 4-byte boundary. False with the reason when the list
// is malformed or runs past `size`; `consumed` is where the last property ended.
bool ReadPipl(const uint8_t *bytes, size_t size, std::vector<PiplProperty> *properties, size_t *consumed,
              std::string *error);

const PiplProperty *FindProperty(const std::vector<PiplProperty> &properties, uint32_t key);

// The problems found in a list against what this effect declares (empty when it is right): twelve
// properties in order, each value, the entry point "main" under `entryKey` ('wx86' or '8664'), and
// 322 bytes in all.
std::vector<std::string> CheckEffectPipl(const uint8_t *bytes, size_t size, uint32_t entryKey);

}  // namespace orvtest

#endif
