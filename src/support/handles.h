// Memory handles: a handle is the address of a record whose first field is the block's address, so
// code written against handles reads the block as the pointee of the pointee.
#ifndef ORV_SUPPORT_HANDLES_H
#define ORV_SUPPORT_HANDLES_H

#include <cstdint>

namespace orv {

struct HandleRecord {
    void *blockAddress;    // locked, zero-filled block, or null
    void *platformBlock;   // the platform's handle of the block, or null
};
typedef HandleRecord *Handle;

// Null only when the record itself cannot be allocated; a record without a block (blockAddress
// null) is the caller's failure signal.
Handle NewHandle(int32_t size);
void DisposeHandle(Handle handle);

}  // namespace orv

#endif
