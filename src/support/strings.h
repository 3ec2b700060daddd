// String resources, delivered as length-prefixed strings (first byte = length, no terminator).
#ifndef ORV_SUPPORT_STRINGS_H
#define ORV_SUPPORT_STRINGS_H

#include <cstdint>

namespace orv {

// Loads resource listId * 100 + index of the module's own string table into `dest` (length-prefixed,
// at most `capacity` characters). A missing entry gives the empty string.
void GetIndString(int16_t listId, int16_t index, unsigned char *dest, int16_t capacity);

// Zero-terminated copy of a length-prefixed string: at most capacity - 1 characters.
void CountedToC(const unsigned char *source, char *dest, int capacity);

// Length-prefixed copy of a C string: at most `capacity` characters (and at most 255).
void CToCounted(const char *source, unsigned char *dest, int capacity);

// Copies count bytes, source first.
void CopyBytes(const void *source, void *dest, int32_t count);

}  // namespace orv

#endif
