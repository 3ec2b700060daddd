// Both Windows modules checked from their files: what a Windows loader and an After Effects host
// read before they run a line of the module. The 64-bit module is also run under Wine
// (wine_host_test.cpp); the 32-bit one, which no Wine here can run, is proven by these checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>

#include "windows/pe_file.h"
#include "windows/windows_builds.h"

namespace {

using orvtest::PeFile;
using orvtest::WindowsBuild;

class PeModule : public ::testing::TestWithParam<const WindowsBuild *> {
protected:
    void SetUp() override {
        const WindowsBuild &build = *GetParam();
        ORV_NEED_FILE(build.Module(), std::string("the ") + build.label + " module");
        std::string error;
        ASSERT_TRUE(pe.Load(build.Module(), &error)) << error;
    }
    PeFile pe;
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

TEST_P(PeModule, IsADllForItsMachine) {
    EXPECT_EQ(pe.Machine(), GetParam()->machine);
    EXPECT_EQ(pe.Magic(), GetParam()->magic);
    EXPECT_NE(pe.Characteristics() & 0x2000, 0) << "IMAGE_FILE_DLL";
    EXPECT_NE(pe.Characteristics() & 0x0002, 0) << "IMAGE_FILE_EXECUTABLE_IMAGE";
}

TEST_P(PeModule, ExportsMainAloneUndecorated) {
    ASSERT_EQ(pe.Exports().size(), 1u);
    auto main = pe.Exports().find("main");
    ASSERT_NE(main, pe.Exports().end()) << "exported: " << pe.Exports().begin()->first;
    EXPECT_TRUE(pe.InCode(main->second));
}

// Only DLLs that every Windows has: the module is loaded from the plug-in folder alone.
TEST_P(PeModule, ImportsOnlySystemDlls) {
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll", "gdi32.dll",
                                          "ntdll.dll"};
    std::map<std::string, std::set<std::string>> byDll;
    for (const orvtest::PeImport &imp : pe.Imports()) {
        const std::string dll = Lower(imp.dll);
        EXPECT_TRUE(system.count(dll)) << "imports " << imp.dll;
        EXPECT_EQ(dll.find("gcc"), std::string::npos) << imp.dll;
        EXPECT_EQ(dll.find("stdc++"), std::string::npos) << imp.dll;
        EXPECT_EQ(dll.find("pthread"), std::string::npos) << imp.dll;
        byDll[dll].insert(imp.functions.begin(), imp.functions.end());
    }
    // Messages come from the module's own string table, handles from Windows global memory.
    EXPECT_TRUE(byDll["user32.dll"].count("LoadStringA"));
    for (const char *f : {"GlobalAlloc", "GlobalLock", "GlobalUnlock", "GlobalFree"})
        EXPECT_TRUE(byDll["kernel32.dll"].count(f)) << f;
}

TEST_P(PeModule, CarriesExactlyThePiplTheStringBlockAndTheVersion) {
    std::set<std::string> found;
    for (const orvtest::PeResource &r : pe.Resources()) {
        found.insert(r.type + "/" + r.name);
        EXPECT_EQ(r.language, 1033) << r.type << "/" << r.name;
    }
    EXPECT_EQ(found, (std::set<std::string>{"PIPL/#16000", "#6/#2626", "#16/#1"}));
}

TEST_P(PeModule, PiplDeclaresTheEffectWithItsEntryKey) {
    const orvtest::PeResource *pipl = pe.FindResource("PIPL", "#16000");
    ASSERT_NE(pipl, nullptr);
    for (const std::string &problem : orvtest::CheckEffectPipl(pipl->data.data(), pipl->data.size(), GetParam()->entryKey))
        ADD_FAILURE() << problem;
    size_t size = 0;
    const uint8_t *compiledIn = orv::PiplBytes(GetParam()->piplKey, &size);
    ASSERT_EQ(pipl->data.size(), size);
    EXPECT_EQ(std::memcmp(pipl->data.data(), compiledIn, size), 0) << "resource and compiled-in list differ";
}

TEST_P(PeModule, StringBlockHoldsTheMessages) {
    const orvtest::PeResource *block = pe.FindResource("#6", "#2626");
    ASSERT_NE(block, nullptr);
    std::map<int, std::string> expected;
#define ORV_STRING(id, text) expected[id] = text;
#include "resources/strings.def"
#undef ORV_STRING
    ASSERT_EQ(expected.size(), 11u);
    EXPECT_EQ(expected[42003], "Memory Allocation Failure!");
    // Sixteen counted UTF-16 strings, ids 42000-42015; the unused ones are empty.
    const std::vector<uint8_t> &d = block->data;
    size_t at = 0;
    for (int id = 42000; id <= 42015; ++id) {
        ASSERT_LE(at + 2, d.size()) << id;
        const size_t n = d[at] | d[at + 1] << 8;
        at += 2;
        ASSERT_LE(at + 2 * n, d.size()) << id;
        std::string text;
        for (size_t i = 0; i < n; ++i) text += static_cast<char>(d[at + 2 * i] | d[at + 2 * i + 1] << 8);
        at += 2 * n;
        EXPECT_EQ(text, expected.count(id) ? expected[id] : "") << id;
    }
}

TEST_P(PeModule, VersionBlock) {
    const orvtest::PeResource *res = pe.FindResource("#16", "#1");
    ASSERT_NE(res, nullptr);
    orvtest::VersionNode root;
    ASSERT_TRUE(orvtest::ParseVersionResource(res->data, &root));
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), 52u);
    uint32_t fixed[13];
    std::memcpy(fixed, root.value.data(), sizeof fixed);  // little-endian host
    const uint32_t expected[13] = {0xFEEF04BD, 0x00010000, 0x00030000, 0, 0x00030000, 0, 0x3F, 0, 0x4, 0x2, 0, 0, 0};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(fixed[i], expected[i]) << "fixed word " << i;

    const orvtest::VersionNode *strings = root.Child("StringFileInfo");
    ASSERT_NE(strings, nullptr);
    const orvtest::VersionNode *table = strings->Child("040904b0");
    ASSERT_NE(table, nullptr);
    const std::map<std::string, std::string> values = {{"FileDescription", "Orvane FX(tm) Plug-In"},
                                                       {"FileVersion", "3.0.0.0"},
                                                       {"InternalName", "Orvane FX(tm)"},
                                                       {"ProductName", "Orvane FX(tm)"},
                                                       {"ProductVersion", "3.0.0.0"}};
    EXPECT_EQ(table->children.size(), values.size());
    for (const auto &[key, text] : values) {
        const orvtest::VersionNode *v = table->Child(key);
        ASSERT_NE(v, nullptr) << key;
        EXPECT_TRUE(v->text) << key;
        EXPECT_EQ(v->textValue, text) << key;
    }
    const orvtest::VersionNode *vars = root.Child("VarFileInfo");
    ASSERT_NE(vars, nullptr);
    const orvtest::VersionNode *translation = vars->Child("Translation");
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation->value, (std::vector<uint8_t>{0x09, 0x04, 0xB0, 0x04}));
}

INSTANTIATE_TEST_SUITE_P(Builds, PeModule, ::testing::Values(&orvtest::kWin32, &orvtest::kWin64),
                         [](const ::testing::TestParamInfo<const WindowsBuild *> &info) {
                             return std::string(info.param->label);
                         });

}  // namespace
