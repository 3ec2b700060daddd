// The fuzzers' reader of input bytes: integers, choices and blocks taken from the front. Once the
// bytes run out every read gives 0, so each input, however short, is a complete case.
#ifndef ORV_FUZZ_FUZZ_INPUT_H
#define ORV_FUZZ_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orvfuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : data(data), size(size) {}

    size_t Remaining() const { return size - at; }

    // The next sizeof(T) bytes as a T (zero bytes past the end).
    template <typename T>
    T Take() {
        T value{};
        const size_t n = Remaining() < sizeof(T) ? Remaining() : sizeof(T);
        std::memcpy(&value, data + at, n);  // the rest stays zero
        at += n;
        return value;
    }

    bool Flag() { return Take<uint8_t>() & 1; }
    // 0 .. n - 1 (n > 0).
    uint32_t Below(uint32_t n) { return n <= 256 ? Take<uint8_t>() % n : Take<uint32_t>() % n; }
    // low .. high, both included.
    int32_t Between(int32_t low, int32_t high) {
        const uint32_t span = static_cast<uint32_t>(high) - static_cast<uint32_t>(low) + 1u;
        const uint32_t offset = span == 0 ? Take<uint32_t>() : Below(span);
        return static_cast<int32_t>(static_cast<uint32_t>(low) + offset);
    }
    // Up to n bytes (fewer when the input ends).
    std::vector<uint8_t> Bytes(size_t n) {
        if (n > Remaining()) n = Remaining();
        at += n;
        return std::vector<uint8_t>(data + at - n, data + at);
    }

private:
    const uint8_t *data;
    size_t size;
    size_t at = 0;
};

}  // namespace orvfuzz

#endif
