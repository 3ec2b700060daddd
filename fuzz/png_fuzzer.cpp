// orvane's PNG reader on any bytes. A file it accepts must hold a frame the effect takes, in ARGB
// with unpadded rows, and must come back identical through orvane's own PNG writer (pixels and
// carried chunks), since that is what a render of it writes.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame.h"
#include "mem_file.h"
#include "png_io.h"

namespace {

void Fail(const char *what, const std::string &detail = "") {
    std::fprintf(stderr, "png_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

uint32_t BigEndian(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Every whole chunk gets its correct CRC, so that mutations reach the chunk's meaning instead of
// stopping at libpng's checksum test.
void FixChecksums(std::vector<uint8_t> &png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = BigEndian(png.data() + at);
        if (length > png.size() - at - 12) break;
        const uLong crc = crc32(0L, png.data() + at + 4, static_cast<uInt>(length + 4));
        for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

bool SameTags(const orvcli::PngTags &a, const orvcli::PngTags &b) {
    return a.hasSrgb == b.hasSrgb && (!a.hasSrgb || a.srgbIntent == b.srgbIntent) && a.hasGamma == b.hasGamma &&
           (!a.hasGamma || a.gamma == b.gamma) && a.hasChrm == b.hasChrm && a.iccProfile == b.iccProfile &&
           (!a.hasChrm || std::memcmp(a.chrm, b.chrm, sizeof a.chrm) == 0) && a.hasPhys == b.hasPhys &&
           (!a.hasPhys || (a.physX == b.physX && a.physY == b.physY && a.physUnit == b.physUnit));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // A header that asks for more than a million pixels is refused here, not read: the reader would
    // allocate the frame (up to 512 MB) before finding the data missing, which only costs time.
    if (size >= 24 && BigEndian(data + 12) == 0x49484452u &&
        static_cast<uint64_t>(BigEndian(data + 16)) * BigEndian(data + 20) > (1u << 20))
        return 0;
    std::vector<uint8_t> bytes(data, data + size);
    FixChecksums(bytes);
    orvfuzz::MemFile file(bytes);
    orvcli::PngPicture picture;
    std::string error;
    const bool looksLikePng = orvcli::LooksLikePng(file.Path());
    if (!orvcli::ReadPng(file.Path(), &picture, &error)) {
        if (error.empty()) Fail("refused without a message");
        return 0;
    }
    if (!looksLikePng) Fail("read a file without the PNG signature");
    const aehost::Image &image = picture.image;
    std::string sizeError;
    if (!orvcli::CheckFrameSize(image.width, image.height, "frame", &sizeError)) Fail("accepted", sizeError);
    if (image.rowbytes != image.width * 4 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4)
        Fail("frame layout");

    // What a render writes: the chunks libpng's writer takes (a profile it refuses is left out).
    std::string dropped;
    const orvcli::PngTags tags = orvcli::WritableTags(picture.tags, &dropped);
    std::vector<uint8_t> encoded;
    if (!orvcli::EncodePngRgba(image, &tags, &encoded, &error)) Fail("cannot write back", error);
    orvfuzz::MemFile again(encoded);
    orvcli::PngPicture reread;
    if (!orvcli::ReadPng(again.Path(), &reread, &error)) Fail("cannot read its own output", error);
    if (reread.image.width != image.width || reread.image.height != image.height || reread.image.pixels != image.pixels)
        Fail("pixels changed through the writer");
    if (!SameTags(tags, reread.tags)) Fail("carried chunks changed through the writer");
    return 0;
}
