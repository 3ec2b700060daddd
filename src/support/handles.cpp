#include "support/handles.h"

#include <cstring>

#include "support/memory.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace orv {

Handle NewHandle(int32_t size) {
    Handle h = static_cast<Handle>(Allocate(sizeof(HandleRecord)));
    if (!h) return nullptr;
    h->blockAddress = nullptr;
    h->platformBlock = nullptr;
    if (size < 0) return h;
#ifdef _WIN32
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(size));
    if (block) {
        h->platformBlock = block;
        h->blockAddress = GlobalLock(block);
    }
#else
    // Elsewhere the platform block is an ordinary zeroed allocation.
    void *block = Allocate(static_cast<size_t>(size));
    if (block) {
        std::memset(block, 0, static_cast<size_t>(size));
        h->platformBlock = block;
        h->blockAddress = block;
    }
#endif
    return h;
}

void DisposeHandle(Handle handle) {
    if (!handle) return;
    if (handle->platformBlock) {
#ifdef _WIN32
        GlobalUnlock(static_cast<HGLOBAL>(handle->platformBlock));
        GlobalFree(static_cast<HGLOBAL>(handle->platformBlock));
#else
        Release(handle->platformBlock);
#endif
    }
    Release(handle);
}

}  // namespace orv
