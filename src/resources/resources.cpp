#include "resources/resources.h"

#include <array>

namespace orv {
namespace {

constexpr size_t kPipl32Size = 322, kPipl64Size = 342;  // the 64-bit list adds eGL2

struct PiplWriter {
    std::array<uint8_t, kPipl64Size> bytes{};
    size_t at = 0;
    constexpr void Word(uint32_t v) {
        bytes[at++] = static_cast<uint8_t>(v);
        bytes[at++] = static_cast<uint8_t>(v >> 8);
    }
    constexpr void Long(uint32_t v) {
        Word(v & 0xFFFF);
        Word(v >> 16);
    }
    template <size_t N>
    constexpr void Chars(const char (&s)[N]) {
        for (size_t i = 0; i + 1 < N; ++i) bytes[at++] = static_cast<uint8_t>(s[i]);
    }
};

constexpr PiplWriter BuildPipl(uint32_t entryKey, bool wide) {
    PiplWriter w;
#define ORV_PIPL_ENTRY_KEY entryKey
#define ORV_PIPL_COUNT (wide ? 13 : 12)
#define ORV_PIPL_WIDE(items) \
    if (wide) { items }
#define W(x) w.Word(x);
#define L(x) w.Long(x);
#define LAST(x) w.Long(x);
#define S(x) w.Chars(x);
#include "resources/pipl.def"
#undef W
#undef L
#undef LAST
#undef S
#undef ORV_PIPL_ENTRY_KEY
#undef ORV_PIPL_COUNT
#undef ORV_PIPL_WIDE
    return w;
}

constexpr PiplWriter kPipl32 = BuildPipl(0x77783836, false);  // 'wx86'
constexpr PiplWriter kPipl64 = BuildPipl(0x38363634, true);   // '8664'
static_assert(kPipl32.at == kPipl32Size && kPipl64.at == kPipl64Size, "property list sizes");

struct StringEntry {
    int id;
    const char *text;
};

constexpr StringEntry kStrings[] = {
#define ORV_STRING(id, text) {id, text},
#include "resources/strings.def"
#undef ORV_STRING
};

}  // namespace

const uint8_t *PiplBytes(PiplEntryKey key, size_t *size) {
    const bool wide = key == PiplEntryKey::Win64X86;
    *size = wide ? kPipl64Size : kPipl32Size;
    return wide ? kPipl64.bytes.data() : kPipl32.bytes.data();
}

const char *StringTableText(int id) {
    for (const StringEntry &e : kStrings)
        if (e.id == id) return e.text;
    return nullptr;
}

}  // namespace orv
