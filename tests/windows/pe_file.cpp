#include "windows/pe_file.h"

#include <fstream>
#include <iterator>

namespace orvtest {

namespace {

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint64_t Le64(const uint8_t *p) { return Le32(p) | static_cast<uint64_t>(Le32(p + 4)) << 32; }

// UTF-16 text that is plain ASCII, as every name and value in these resources is; other
// characters become '?'.
std::string Narrow(const uint8_t *p, size_t chars) {
    std::string s;
    for (size_t i = 0; i < chars; ++i) {
        uint16_t c = Le16(p + 2 * i);
        s += c < 128 ? static_cast<char>(c) : '?';
    }
    return s;
}

constexpr size_t Align4(size_t x) { return (x + 3) & ~static_cast<size_t>(3); }

bool ParseVersionNode(const std::vector<uint8_t> &d, size_t at, size_t limit, VersionNode *node, size_t *next) {
    if (limit > d.size() || at > limit || limit - at < 6) return false;
    const size_t length = Le16(&d[at]), valueLength = Le16(&d[at + 2]);
    const uint16_t type = Le16(&d[at + 4]);
    if (length < 6 || length > limit - at) return false;
    const size_t end = at + length;
    size_t p = at + 6;
    size_t keyChars = 0;
    while (true) {
        if (p + 2 * keyChars + 2 > end) return false;
        if (Le16(&d[p + 2 * keyChars]) == 0) break;
        ++keyChars;
    }
    node->key = Narrow(&d[p], keyChars);
    p = Align4(p + 2 * keyChars + 2);
    node->text = type == 1;
    const size_t valueBytes = node->text ? 2 * valueLength : valueLength;
    if (valueBytes > 0) {
        if (p > end || valueBytes > end - p) return false;
        node->value.assign(d.begin() + static_cast<long>(p), d.begin() + static_cast<long>(p + valueBytes));
        if (node->text) {
            size_t chars = 0;
            while (chars < valueLength && Le16(&d[p + 2 * chars]) != 0) ++chars;
            node->textValue = Narrow(&d[p], chars);
        }
        p += valueBytes;
    }
    p = Align4(p);
    while (p < end) {
        VersionNode child;
        size_t after = 0;
        if (!ParseVersionNode(d, p, end, &child, &after)) return false;
        node->children.push_back(std::move(child));
        p = Align4(after);
    }
    *next = end;
    return true;
}

}  // namespace

const VersionNode *VersionNode::Child(const std::string &name) const {
    for (const VersionNode &c : children)
        if (c.key == name) return &c;
    return nullptr;
}

bool ParseVersionResource(const std::vector<uint8_t> &data, VersionNode *root) {
    size_t next = 0;
    return ParseVersionNode(data, 0, data.size(), root, &next);
}

bool PeFile::Offset(uint32_t rva, size_t size, size_t *offset) const {
    for (const Section &s : sections) {
        if (rva < s.va || rva - s.va >= s.rawSize) continue;
        size_t at = s.raw + (rva - s.va);
        if (at > bytes.size() || size > bytes.size() - at || (rva - s.va) + size > s.rawSize) return false;
        *offset = at;
        return true;
    }
    return false;
}

bool PeFile::CString(uint32_t rva, std::string *out) const {
    size_t at = 0;
    if (!Offset(rva, 1, &at)) return false;
    out->clear();
    for (; at < bytes.size() && bytes[at]; ++at) out->push_back(static_cast<char>(bytes[at]));
    return at < bytes.size();
}

bool PeFile::InCode(uint32_t rva) const {
    for (const Section &s : sections)
        if (rva >= s.va && rva - s.va < s.vsize) return (s.flags & 0x20000000u) != 0;  // MEM_EXECUTE
    return false;
}

const PeResource *PeFile::FindResource(const std::string &type, const std::string &name) const {
    for (const PeResource &r : resources)
        if (r.type == type && r.name == name) return &r;
    return nullptr;
}

bool PeFile::Load(const std::string &path, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') {
        *error = "no DOS header";
        return false;
    }
    const size_t pe = Le32(&bytes[0x3C]);
    if (pe > bytes.size() || bytes.size() - pe < 24 + 2 || Le32(&bytes[pe]) != 0x00004550) {
        *error = "no PE signature";
        return false;
    }
    machine = Le16(&bytes[pe + 4]);
    const size_t sectionCount = Le16(&bytes[pe + 6]);
    const size_t optionalSize = Le16(&bytes[pe + 20]);
    characteristics = Le16(&bytes[pe + 22]);
    const size_t optional = pe + 24;
    magic = Le16(&bytes[optional]);
    size_t dirCountAt = 0;
    if (magic == 0x10B)
        dirCountAt = optional + 92;
    else if (magic == 0x20B)
        dirCountAt = optional + 108;
    else {
        *error = "unknown optional header magic";
        return false;
    }
    const size_t sectionTable = optional + optionalSize;
    if (dirCountAt + 4 > bytes.size() || sectionTable > bytes.size() || (bytes.size() - sectionTable) / 40 < sectionCount) {
        *error = "headers run past the end";
        return false;
    }
    const size_t dirCount = Le32(&bytes[dirCountAt]);
    if (dirCountAt + 4 + dirCount * 8 > sectionTable) {
        *error = "data directories run past the optional header";
        return false;
    }
    for (size_t i = 0; i < sectionCount; ++i) {
        const uint8_t *s = &bytes[sectionTable + 40 * i];
        sections.push_back({Le32(s + 12), Le32(s + 8), Le32(s + 20), Le32(s + 16), Le32(s + 36)});
    }
    auto directory = [&](size_t index) { return index < dirCount ? Le32(&bytes[dirCountAt + 4 + 8 * index]) : 0u; };
    if (directory(0) && !ReadExports(directory(0), error)) return false;
    if (directory(1) && !ReadImports(directory(1), error)) return false;
    const uint32_t resourceRva = directory(2);
    if (resourceRva) {
        size_t base = 0;
        if (!Offset(resourceRva, 16, &base)) {
            *error = "resource directory outside every section";
            return false;
        }
        if (!ReadResourceDir(base, 0, 0, PeResource{}, error)) return false;
    }
    return true;
}

bool PeFile::ReadExports(uint32_t rva, std::string *error) {
    size_t at = 0;
    if (!Offset(rva, 40, &at)) {
        *error = "export directory outside every section";
        return false;
    }
    const uint32_t functionCount = Le32(&bytes[at + 20]), nameCount = Le32(&bytes[at + 24]);
    const uint32_t functionsRva = Le32(&bytes[at + 28]), namesRva = Le32(&bytes[at + 32]),
                   ordinalsRva = Le32(&bytes[at + 36]);
    for (uint32_t i = 0; i < nameCount; ++i) {
        size_t nameAt = 0, ordinalAt = 0, functionAt = 0;
        std::string name;
        if (!Offset(namesRva + 4 * i, 4, &nameAt) || !Offset(ordinalsRva + 2 * i, 2, &ordinalAt) ||
            !CString(Le32(&bytes[nameAt]), &name)) {
            *error = "export names run outside every section";
            return false;
        }
        const uint16_t ordinal = Le16(&bytes[ordinalAt]);
        if (ordinal >= functionCount || !Offset(functionsRva + 4u * ordinal, 4, &functionAt)) {
            *error = "export " + name + " has no address";
            return false;
        }
        exports[name] = Le32(&bytes[functionAt]);
    }
    return true;
}

bool PeFile::ReadImports(uint32_t rva, std::string *error) {
    const bool wide = magic == 0x20B;
    const size_t thunkSize = wide ? 8 : 4;
    for (uint32_t d = rva;; d += 20) {
        size_t at = 0;
        if (!Offset(d, 20, &at)) {
            *error = "import directory outside every section";
            return false;
        }
        const uint32_t lookup = Le32(&bytes[at]), nameRva = Le32(&bytes[at + 12]), thunks = Le32(&bytes[at + 16]);
        if (nameRva == 0 && thunks == 0) return true;
        PeImport imp;
        if (!CString(nameRva, &imp.dll)) {
            *error = "import name outside every section";
            return false;
        }
        for (uint32_t t = lookup ? lookup : thunks;; t += static_cast<uint32_t>(thunkSize)) {
            size_t entryAt = 0;
            if (!Offset(t, thunkSize, &entryAt)) {
                *error = "import table of " + imp.dll + " outside every section";
                return false;
            }
            const uint64_t entry = wide ? Le64(&bytes[entryAt]) : Le32(&bytes[entryAt]);
            if (entry == 0) break;
            const uint64_t ordinalFlag = wide ? (1ull << 63) : (1ull << 31);
            std::string name;
            if (entry & ordinalFlag)
                name = "#" + std::to_string(entry & 0xFFFF);
            else if (!CString(static_cast<uint32_t>(entry) + 2, &name)) {
                *error = "imported name of " + imp.dll + " outside every section";
                return false;
            }
            imp.functions.push_back(name);
        }
        imports.push_back(std::move(imp));
    }
}

bool PeFile::ReadResourceDir(size_t base, size_t dir, int level, PeResource current, std::string *error) {
    if (level > 2 || base + dir + 16 > bytes.size()) {
        *error = "resource directory malformed";
        return false;
    }
    const uint8_t *d = &bytes[base + dir];
    const size_t count = static_cast<size_t>(Le16(d + 12)) + Le16(d + 14);
    if (base + dir + 16 + 8 * count > bytes.size()) {
        *error = "resource directory entries run past the end";
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *e = d + 16 + 8 * i;
        const uint32_t nameField = Le32(e), target = Le32(e + 4);
        std::string id;
        if (nameField & 0x80000000u) {
            const size_t nameAt = base + (nameField & 0x7FFFFFFFu);
            if (nameAt + 2 > bytes.size() || nameAt + 2 + 2 * Le16(&bytes[nameAt]) > bytes.size()) {
                *error = "resource name runs past the end";
                return false;
            }
            id = Narrow(&bytes[nameAt + 2], Le16(&bytes[nameAt]));
        } else {
            id = "#" + std::to_string(nameField);
        }
        PeResource next = current;
        if (level == 0) next.type = id;
        if (level == 1) next.name = id;
        if (level == 2) next.language = static_cast<uint16_t>(nameField);
        if (target & 0x80000000u) {
            if (!ReadResourceDir(base, target & 0x7FFFFFFFu, level + 1, next, error)) return false;
            continue;
        }
        if (level != 2 || base + target + 16 > bytes.size()) {
            *error = "resource data entry misplaced";
            return false;
        }
        const uint32_t dataRva = Le32(&bytes[base + target]), size = Le32(&bytes[base + target + 4]);
        size_t dataAt = 0;
        if (!Offset(dataRva, size, &dataAt)) {
            *error = "resource data of " + next.type + "/" + next.name + " outside every section";
            return false;
        }
        next.data.assign(bytes.begin() + static_cast<long>(dataAt), bytes.begin() + static_cast<long>(dataAt + size));
        resources.push_back(std::move(next));
    }
    return true;
}

}  // namespace orvtest
