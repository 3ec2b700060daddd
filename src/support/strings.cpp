#include "support/strings.h"

#include <cstring>

#include "resources/plugin_info.h"
#include "resources/resources.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace orv {

namespace {

#ifdef _WIN32
// The module's own instance: strings come from its string table, not the host's.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &module);
    return module;
}
#endif

}  // namespace

void GetIndString(int16_t listId, int16_t index, unsigned char *dest, int16_t capacity) {
    const int id = static_cast<int16_t>(listId * 100 + index);
    const int resourceId = id & 0xFFFF;
#ifdef _WIN32
    char text[256] = {0};
    if (LoadStringA(OwnModule(), static_cast<UINT>(resourceId), text, sizeof text) <= 0) text[0] = 0;
    CToCounted(text, dest, capacity);
#else
    const char *text = StringTableText(resourceId);
    CToCounted(text ? text : "", dest, capacity);
#endif
}

void CountedToC(const unsigned char *source, char *dest, int capacity) {
    if (capacity <= 0) return;
    int n = source[0] < capacity ? source[0] : capacity - 1;
    std::memcpy(dest, source + 1, static_cast<size_t>(n));
    dest[n] = 0;
}

void CToCounted(const char *source, unsigned char *dest, int capacity) {
    size_t length = std::strlen(source);
    size_t limit = capacity < 0 ? 0 : static_cast<size_t>(capacity);
    if (limit > 255) limit = 255;  // the length byte holds no more
    size_t n = length < limit ? length : limit;
    std::memcpy(dest + 1, source, n);
    dest[0] = static_cast<unsigned char>(n);
}

void CopyBytes(const void *source, void *dest, int32_t count) {
    if (count > 0) std::memmove(dest, source, static_cast<size_t>(count));
}

}  // namespace orv
