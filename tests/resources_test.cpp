// The property list parsed as a host parses it, the string table, and their agreement with what
// the module reports through `main`.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "resources/resources.h"
#include "support/strings.h"
#include "support/test_support.h"

namespace {

uint32_t Le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
std::string Code(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

struct Property {
    uint32_t length;
    std::vector<uint8_t> data;
};

// Walks the list the way a host does: header, then vendor, key, id, length, data padded to 4.
std::vector<std::pair<std::string, Property>> ParsePipl(const uint8_t *bytes, size_t size, size_t *consumed) {
    std::vector<std::pair<std::string, Property>> out;
    EXPECT_EQ(Le16(bytes), 1);
    EXPECT_EQ(Le32(bytes + 2), 0u);
    uint32_t count = Le32(bytes + 6);
    size_t at = 10;
    for (uint32_t i = 0; i < count && at + 16 <= size; ++i) {
        EXPECT_EQ(Code(Le32(bytes + at)), "8BIM");
        std::string key = Code(Le32(bytes + at + 4));
        EXPECT_EQ(Le32(bytes + at + 8), 0u) << key;
        Property p;
        p.length = Le32(bytes + at + 12);
        size_t padded = (p.length + 3) & ~size_t(3);
        p.data.assign(bytes + at + 16, bytes + at + 16 + padded);
        out.emplace_back(key, p);
        at += 16 + padded;
    }
    *consumed = at;
    return out;
}

std::string Pascal(const std::vector<uint8_t> &d) { return std::string(d.begin() + 1, d.begin() + 1 + d[0]); }

TEST(Resources, PropertyListParsesToTwelvePropertiesIn322Bytes) {
    aehost::Host host(orvtest::ShippedModule().Entry());
    host.OutData().out_flags = 0;
    host.GlobalSetup();
    for (auto key : {orv::PiplEntryKey::Win32X86, orv::PiplEntryKey::Win64X86}) {
        size_t size = 0, consumed = 0;
        const uint8_t *bytes = orv::PiplBytes(key, &size);
        EXPECT_EQ(size, 322u);
        auto props = ParsePipl(bytes, size, &consumed);
        EXPECT_EQ(consumed, 322u);
        ASSERT_EQ(props.size(), 12u);
        const char *entryKey = key == orv::PiplEntryKey::Win32X86 ? "wx86" : "8664";
        const std::vector<std::string> order = {"kind", "name", "catg", entryKey, "ePVR", "eSVR",
                                                "eVER", "eINF", "eGLO", "eMNA", "aeFL", "aeRD"};
        for (size_t i = 0; i < 12; ++i) EXPECT_EQ(props[i].first, order[i]);
        std::map<std::string, Property> p(props.begin(), props.end());
        EXPECT_EQ(Code(Le32(p["kind"].data.data())), "eFKT");
        EXPECT_EQ(Pascal(p["name"].data), "Orvane FX Brightness-Contrast");
        EXPECT_EQ(p["name"].length, 32u);
        EXPECT_EQ(Pascal(p["catg"].data), "Orvane FX Color");
        EXPECT_EQ(p["catg"].length, 16u);
        EXPECT_STREQ(reinterpret_cast<const char *>(p[entryKey].data.data()), "main");
        EXPECT_EQ(Le16(p["ePVR"].data.data()), 2);
        EXPECT_EQ(Le16(p["ePVR"].data.data() + 2), 0);
        EXPECT_EQ(Le16(p["eSVR"].data.data()), 11);
        EXPECT_EQ(Le16(p["eSVR"].data.data() + 2), 0);
        EXPECT_EQ(Le16(p["eINF"].data.data()), 0);
        EXPECT_EQ(Pascal(p["eMNA"].data), Pascal(p["name"].data));
        EXPECT_EQ(Le32(p["aeFL"].data.data()), 0u);
        EXPECT_EQ(Le32(p["aeRD"].data.data()), 0u);
        // The list must agree with what global set-up reports.
        EXPECT_EQ(Le32(p["eVER"].data.data()), host.OutData().my_version);
        EXPECT_EQ(static_cast<int32_t>(Le32(p["eGLO"].data.data())), host.OutData().out_flags);
    }
    size_t a = 0, b = 0;
    const uint8_t *p32 = orv::PiplBytes(orv::PiplEntryKey::Win32X86, &a);
    const uint8_t *p64 = orv::PiplBytes(orv::PiplEntryKey::Win64X86, &b);
    int differing = 0;
    for (size_t i = 0; i < a; ++i) differing += p32[i] != p64[i];
    EXPECT_EQ(differing, 4);  // the entry key alone
}

TEST(Resources, StringTable) {
    const std::pair<int, const char *> entries[] = {
        {42000, "----- All errors start here -----"},
        {42003, "Memory Allocation Failure!"},
        {42012, "Only numbers from %d to %d are accepted!"},
        {42015, "Sorry, Orvane Effects only supports editing one effect at a time."},
        {42006, nullptr}, {41999, nullptr}, {42016, nullptr}};
    for (auto [id, text] : entries) {
        if (text)
            EXPECT_STREQ(orv::StringTableText(id), text);
        else
            EXPECT_EQ(orv::StringTableText(id), nullptr) << id;
    }
    unsigned char counted[256];
    char c[256];
    orv::GetIndString(420, 3, counted, 255);
    orv::CountedToC(counted, c, 255);
    EXPECT_STREQ(c, "Memory Allocation Failure!");
}

TEST(Strings, LengthPrefixedCopiesRespectCapacity) {
    std::string long300(300, 'x');
    unsigned char counted[300];
    orv::CToCounted(long300.c_str(), counted, 255);
    EXPECT_EQ(counted[0], 255);
    orv::CToCounted("abc", counted, 2);
    EXPECT_EQ(counted[0], 2);
    EXPECT_EQ(std::memcmp(counted + 1, "ab", 2), 0);

    unsigned char source[256];
    source[0] = 255;
    std::memset(source + 1, 'y', 255);
    char c[256];
    orv::CountedToC(source, c, 255);
    EXPECT_EQ(std::strlen(c), 254u);
    source[0] = 3;
    orv::CountedToC(source, c, 255);
    EXPECT_STREQ(c, "yyy");
}

}  // namespace
