// Raw ARGB frames: W*H*4 bytes each (alpha, red, green, blue; rows packed, top row first), one
// frame after another in a file or a pipe. "-" is standard input or output.
#ifndef ORVANE_CLI_RAW_IO_H
#define ORVANE_CLI_RAW_IO_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "frame.h"

namespace orvcli {

// Parses "WxH" (or "WXH"); false with a message when malformed or beyond the effect's limits.
bool ParseRawSize(const std::string &text, int32_t *width, int32_t *height, std::string *error);

// Reads up to `size` bytes, retrying short reads; returns the count (less than `size` only at the
// end of the input) or -1 on a read error.
long long ReadFull(int fd, uint8_t *buffer, size_t size);
// Writes all bytes; false on an error (errno tells which).
bool WriteFull(int fd, const uint8_t *data, size_t size);

// Renders every frame of INPUT into OUTPUT. A regular input file whose size is not a whole number
// of frames is refused before anything is written; a pipe that ends inside a frame is reported
// after the complete frames (which reach a standard output already, but never a named file).
Outcome RunRaw(const std::string &input, const std::string &output, int32_t width, int32_t height,
               const FrameFunction &frame);

}  // namespace orvcli

#endif
