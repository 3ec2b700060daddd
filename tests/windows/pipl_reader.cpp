#include "windows/pipl_reader.h"

#include <cstring>

namespace orvtest {

namespace {

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A length-prefixed string property: the length byte must fit inside the stored length.
bool PascalText(const PiplProperty &p, std::string *text) {
    if (p.data.empty() || p.data[0] + 1u > p.data.size()) return false;
    text->assign(p.data.begin() + 1, p.data.begin() + 1 + p.data[0]);
    return true;
}

}  // namespace

std::string FourCCText(uint32_t code) {
    return {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
            static_cast<char>(code)};
}

bool ReadPipl(const uint8_t *bytes, size_t size, std::vector<PiplProperty> *properties, size_t *consumed,
              std::string *error) {
    properties->clear();
    *consumed = 0;
    if (size < 10) {
        *error = "property list shorter than its header";
        return false;
    }
    if (Le16(bytes) != 1) {
        *error = "property list version " + std::to_string(Le16(bytes)) + ", not 1";
        return false;
    }
    if (Le32(bytes + 2) != 0) {
        *error = "property list reserved word is not 0";
        return false;
    }
    const uint32_t count = Le32(bytes + 6);
    size_t at = 10;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 16) {
            *error = "property " + std::to_string(i + 1) + " header runs past the end";
            return false;
        }
        PiplProperty p;
        p.vendor = Le32(bytes + at);
        p.key = Le32(bytes + at + 4);
        p.id = Le32(bytes + at + 8);
        p.length = Le32(bytes + at + 12);
        at += 16;
        if (p.length > size - at) {
            *error = "property '" + FourCCText(p.key) + "' data runs past the end";
            return false;
        }
        p.data.assign(bytes + at, bytes + at + p.length);
        // The next property starts at the following 4-byte boundary.
        size_t padded = (static_cast<size_t>(p.length) + 3) & ~static_cast<size_t>(3);
        at += padded < size - at ? padded : size - at;
        properties->push_back(std::move(p));
    }
    *consumed = at;
    return true;
}

const PiplProperty *FindProperty(const std::vector<PiplProperty> &properties, uint32_t key) {
    for (const PiplProperty &p : properties)
        if (p.key == key) return &p;
    return nullptr;
}

std::vector<std::string> CheckEffectPipl(const uint8_t *bytes, size_t size, uint32_t entryKey) {
    std::vector<std::string> problems;
    std::vector<PiplProperty> props;
    size_t consumed = 0;
    std::string error;
    if (!ReadPipl(bytes, size, &props, &consumed, &error)) return {error};
    if (size != 322) problems.push_back("property list is " + std::to_string(size) + " bytes, not 322");
    if (consumed != size) problems.push_back("properties end at byte " + std::to_string(consumed));

    const uint32_t order[] = {FourCC("kind"), FourCC("name"), FourCC("catg"), entryKey,
                              FourCC("ePVR"), FourCC("eSVR"), FourCC("eVER"), FourCC("eINF"),
                              FourCC("eGLO"), FourCC("eMNA"), FourCC("aeFL"), FourCC("aeRD")};
    if (props.size() != 12) {
        problems.push_back(std::to_string(props.size()) + " properties, not 12");
        return problems;
    }
    for (size_t i = 0; i < props.size(); ++i) {
        const PiplProperty &p = props[i];
        const std::string where = "property " + std::to_string(i + 1) + " '" + FourCCText(p.key) + "'";
        if (p.key != order[i]) problems.push_back(where + ": expected '" + FourCCText(order[i]) + "'");
        if (p.vendor != FourCC("8BIM")) problems.push_back(where + ": vendor '" + FourCCText(p.vendor) + "'");
        if (p.id != 0) problems.push_back(where + ": id " + std::to_string(p.id));
    }

    auto word = [&](const char(&key)[5], uint32_t expected) {
        const PiplProperty *p = FindProperty(props, FourCC(key));
        if (!p || p->length != 4 || Le32(p->data.data()) != expected)
            problems.push_back(std::string(key) + ": expected the 32-bit value " + std::to_string(expected));
    };
    auto version = [&](const char(&key)[5], uint16_t major, uint16_t minor) {
        const PiplProperty *p = FindProperty(props, FourCC(key));
        if (!p || p->length != 4 || Le16(p->data.data()) != major || Le16(p->data.data() + 2) != minor)
            problems.push_back(std::string(key) + ": expected version " + std::to_string(major) + "." +
                               std::to_string(minor));
    };
    auto pascal = [&](const char(&key)[5], const char *expected, uint32_t paddedLength) {
        const PiplProperty *p = FindProperty(props, FourCC(key));
        std::string text;
        if (!p || p->length != paddedLength || !PascalText(*p, &text) || text != expected)
            problems.push_back(std::string(key) + ": expected \"" + expected + "\" in " +
                               std::to_string(paddedLength) + " bytes");
    };

    word("kind", FourCC("eFKT"));
    pascal("name", "Orvane FX Brightness-Contrast", 32);
    pascal("catg", "Orvane FX Color", 16);
    const PiplProperty *entry = FindProperty(props, entryKey);
    if (!entry || entry->length != 8 || std::memcmp(entry->data.data(), "main\0\0\0\0", 8) != 0)
        problems.push_back("'" + FourCCText(entryKey) + "': expected the entry point \"main\" in 8 bytes");
    version("ePVR", 2, 0);
    version("eSVR", 11, 0);
    word("eVER", 1574400);
    const PiplProperty *info = FindProperty(props, FourCC("eINF"));
    if (!info || info->length < 2 || Le16(info->data.data()) != 0) problems.push_back("eINF: expected 0");
    word("eGLO", 5);
    pascal("eMNA", "Orvane FX Brightness-Contrast", 32);
    word("aeFL", 0);
    word("aeRD", 0);
    return problems;
}

}  // namespace orvtest
