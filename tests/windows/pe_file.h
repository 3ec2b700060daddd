// A small reader of Windows PE files (PE32 and PE32+) for checking the built modules without
// running them: headers, exports, imports, resources and the version block. Every offset is
// bounds-checked; a malformed file makes Load fail with a reason.
#ifndef ORV_TESTS_WINDOWS_PE_FILE_H
#define ORV_TESTS_WINDOWS_PE_FILE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvtest {

struct PeImport {
    std::string dll;
    std::vector<std::string> functions;  // by name; "#n" for ordinal n
};

struct PeResource {
    std::string type;  // "#6" for numeric types, else the name ("PIPL")
    std::string name;  // "#16000" or the name
    uint16_t language = 0;
    std::vector<uint8_t> data;
};

// One node of a version resource: key, value and children.
struct VersionNode {
    std::string key;
    bool text = false;
    std::vector<uint8_t> value;  // raw bytes (binary nodes)
    std::string textValue;       // text nodes, up to the first NUL
    std::vector<VersionNode> children;
    const VersionNode *Child(const std::string &key) const;
};

class PeFile {
public:
    bool Load(const std::string &path, std::string *error);

    uint16_t Machine() const { return machine; }            // 0x14C i386, 0x8664 AMD64
    uint16_t Magic() const { return magic; }                // 0x10B PE32, 0x20B PE32+
    uint16_t Characteristics() const { return characteristics; }
    // Exported names and their RVAs.
    const std::map<std::string, uint32_t> &Exports() const { return exports; }
    const std::vector<PeImport> &Imports() const { return imports; }
    const std::vector<PeResource> &Resources() const { return resources; }
    const PeResource *FindResource(const std::string &type, const std::string &name) const;
    // True when the RVA lies in a section marked executable.
    bool InCode(uint32_t rva) const;

private:
    struct Section {
        uint32_t va, vsize, raw, rawSize, flags;
    };
    bool Offset(uint32_t rva, size_t size, size_t *offset) const;
    bool ReadExports(uint32_t rva, std::string *error);
    bool ReadImports(uint32_t rva, std::string *error);
    bool ReadResourceDir(size_t base, size_t dir, int level, PeResource current, std::string *error);
    bool CString(uint32_t rva, std::string *out) const;

    std::vector<uint8_t> bytes;
    std::vector<Section> sections;
    uint16_t machine = 0, magic = 0, characteristics = 0;
    std::map<std::string, uint32_t> exports;
    std::vector<PeImport> imports;
    std::vector<PeResource> resources;
};

// Parses a version resource (VS_VERSIONINFO); false when it is malformed.
bool ParseVersionResource(const std::vector<uint8_t> &data, VersionNode *root);

}  // namespace orvtest

#endif
