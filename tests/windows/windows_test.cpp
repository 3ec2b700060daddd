// The Windows modules: what a loader and an After Effects host read from both files (objdump, wrestool),
// and each under a Wine of its width equal to the native module.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "resources/resources.h"
#include "windows/render_cases.h"

namespace {

// A missing build or tool is skipped, but fails the full run (ORV_REQUIRE_WINDOWS=1 in the environment).
#define ORV_NEED(...)                                                                             \
    for (const std::string &file : std::initializer_list<std::string>{__VA_ARGS__})               \
        if (!std::filesystem::is_regular_file(file)) {                                            \
            if (std::getenv("ORV_REQUIRE_WINDOWS")) FAIL() << "missing: " << file;                \
            GTEST_SKIP() << "missing: " << file << " (build the mingw presets, install the tools)"; \
        }

std::string Quoted(const std::string &s) { return "'" + std::regex_replace(s, std::regex("'"), "'\\''") + "'"; }

std::string ReadAll(const std::string &path) {
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

// A tool's standard output; a tool that fails fails the test.
std::string Output(const std::string &command) {
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;) out += char(c);
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
    return out;
}

std::vector<std::string> Matches(const std::string &text, const std::string &pattern) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (std::sregex_iterator m(text.begin(), text.end(), re), end; m != end; ++m) found.push_back((*m)[1]);
    return found;
}

size_t U16(const std::string &d, size_t at) { return uint8_t(d.at(at)) | uint8_t(d.at(at + 1)) << 8; }

std::string Messages(int id = 42000) {  // ids 42000-42015, a line each, the unused ones empty
    return id > 42015 ? "" : (orv::StringTableText(id) ? orv::StringTableText(id) : "") + ("\n" + Messages(id + 1));
}

std::string CompiledInPipl(orv::PiplEntryKey key) {
    size_t size = 0;
    const char *bytes = reinterpret_cast<const char *>(orv::PiplBytes(key, &size));
    return std::string(bytes, size);
}

// label: also the WINEARCH of the build's Wine prefix; wine: the loader of that width.
struct Build { const char *label, *module, *format, *wine; orv::PiplEntryKey key; };
const Build kWin32{"win32", ORV_WIN32_MODULE, "pei-i386", "wine", orv::PiplEntryKey::Win32X86};
const Build kWin64{"win64", ORV_WIN64_MODULE, "pei-x86-64", "wine64", orv::PiplEntryKey::Win64X86};

struct PeModule : ::testing::TestWithParam<const Build *> {
    void SetUp() override { ORV_NEED(GetParam()->module, ORV_OBJDUMP, ORV_WRESTOOL); }
    std::string Tool(const char *tool, const std::string &arguments) const {
        return Output(Quoted(tool) + " " + arguments + " " + Quoted(GetParam()->module));
    }
};

// A DLL for its machine exporting `main` alone, undecorated, in its code; importing only DLLs every
// Windows has (it loads from the plug-in folder alone).
TEST_P(PeModule, LoaderView) {
    const std::string dump = Tool(ORV_OBJDUMP, "-p");
    auto hex = [&dump](const std::string &field) { return std::stoull(Matches(dump, field).at(0), nullptr, 16); };
    EXPECT_NE(dump.find(std::string("file format ") + GetParam()->format + "\n"), std::string::npos);
    EXPECT_EQ(hex("\nCharacteristics 0x(\\w+)\n") & 0x2002, 0x2002u) << "a DLL, an executable image";
    EXPECT_EQ(Matches(dump, "\n\t\\[ *\\d+\\] (\\S+)\n"), std::vector<std::string>{"main"});
    EXPECT_EQ(hex("Number in:\n\tExport Address Table\\s+(\\w+)\n"), 1u);
    const auto rva = hex("\\] (\\w+) Export RVA\n"), code = hex("\nBaseOfCode\\s+(\\w+)\n");
    EXPECT_TRUE(rva >= code && rva < code + hex("\nSizeOfCode\\s+(\\w+)\n")) << "main outside the code";
    const std::regex system("(kernel32|user32|msvcrt|advapi32|gdi32|ntdll)\\.dll", std::regex::icase);
    for (const std::string &dll : Matches(dump, "DLL Name: ([^\n]+)\n"))
        EXPECT_TRUE(std::regex_match(dll, system)) << dll;
}

// A version node and its children as "key=value" lines indented by depth; binary values as 16-bit numbers.
std::vector<std::string> Flatten(const std::string &d, size_t at = 0, const std::string &indent = "") {
    const size_t end = at + U16(d, at), length = U16(d, at + 2), text = U16(d, at + 4);
    std::string key, value;
    size_t i = at + 6;
    for (; U16(d, i) != 0; i += 2) key += char(U16(d, i));
    i = (i + 5) & ~size_t(3);  // past the key's NUL, at the next 4-byte boundary
    for (size_t n = 0; n + text < (text ? length : length / 2); ++n)  // a text's length counts its NUL
        value += text ? std::string(1, char(U16(d, i + 2 * n))) : " " + std::to_string(U16(d, i + 2 * n));
    std::vector<std::string> out{indent + key + "=" + value};
    for (i = (i + (text + 1) * length + 3) & ~size_t(3); i < end && U16(d, i) > 0; i = (i + U16(d, i) + 3) & ~size_t(3))
        for (const std::string &line : Flatten(d, i, indent + " ")) out.push_back(line);
    return out;
}

// The property list, the string block and the version block, alone (the first two read back under Wine).
TEST_P(PeModule, Resources) {
    EXPECT_EQ(Matches(Tool(ORV_WRESTOOL, "-l"), "(--type=.*) \\["),
              (std::vector<std::string>{"--type='PIPL' --name=16000 --language=1033",
                                        "--type=6 --name=2626 --language=1033", "--type=16 --name=1 --language=1033"}));
    const std::string version = Tool(ORV_WRESTOOL, "-x -R --type=16 --name=1");
    EXPECT_EQ(U16(version, 0), version.size());
    // Signature, structure 1.0, version 3.0.0.0 twice, flag mask 0x3F, 32-bit Windows, a DLL; US English, Unicode.
    EXPECT_EQ(Flatten(version), (std::vector<std::string>{
                         "VS_VERSION_INFO= 1213 65263 0 1 0 3 0 0 0 3 0 0 63 0 0 0 4 0 2 0 0 0 0 0 0 0",
                         " StringFileInfo=", "  040904b0=", "   FileDescription=Orvane FX(tm) Plug-In",
                         "   FileVersion=3.0.0.0", "   InternalName=Orvane FX(tm)", "   ProductName=Orvane FX(tm)",
                         "   ProductVersion=3.0.0.0", " VarFileInfo=", "  Translation= 1033 1200"}));
}

// The 32-bit module on rows longer than 14 bits can count, apart from the native module: rows the low 14 bits
// apart, each over the earlier ones, into an output cleared to transparent black (unpadded frames only).
std::vector<uint8_t> RowsFourteenBitsApart(const orvtest::RenderCase &c) {
    aehost::Image input = orvtest::CaseInput(c);
    const int32_t row = c.width * 4, stride = (input.rowbytes &= 0x3FFF);
    const std::vector<uint8_t> rows = orvref::Render(input, c.v);
    std::vector<uint8_t> out(size_t(row) * c.height);
    for (int32_t y = 0; y < c.height; ++y) std::copy_n(&rows[size_t(y) * row], row, &out[size_t(y) * stride]);
    return out;
}

// The Windows host program of the module's own cross build in a Wine prefix of its width (a fresh one takes
// up to a minute to create): the property list (FindResource), messages (LoadString), set-up, renders.
TEST_P(PeModule, UnderWineEqualsTheNativeModule) {
    const Build &b = *GetParam();
    const std::string dir = ORV_WINE_WORK_DIR "/" + std::string(b.label), out = dir + "/out",
                      wine = ORV_WINE_DIR "/" + std::string(b.wine),
                      program = std::filesystem::path(b.module).parent_path() / "tests/windows/wine_host.exe";
    ORV_NEED(program, wine);
    std::filesystem::remove_all(out), std::filesystem::create_directories(out);  // never an earlier run's files
    auto win = [](const std::string &path) { return Quoted("Z:" + std::regex_replace(path, std::regex("/"), "\\")); };
    // Without the override Wine's first start offers to install Mono and Gecko; a hung start is stopped.
    const std::string log = Output("WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINEPREFIX=" +
                                   Quoted(dir + "/prefix") + " WINEARCH=" + b.label + " timeout 600 " + Quoted(wine) +
                                   " " + Quoted(program) + " " + win(b.module) + " " + win(out) + " 2>&1");
    ASSERT_FALSE(HasFailure()) << "wine_host failed:\n" << log;
    EXPECT_EQ(ReadAll(out + "/pipl.bin"), CompiledInPipl(b.key));
    aehost::Module module;
    std::string error;
    ASSERT_TRUE(module.Load(ORV_MODULE_PATH, &error)) << error;
    aehost::Host host(module.Entry());
    const std::string facts = orvtest::RunCases(host, [&](const orvtest::RenderCase &c, const std::vector<uint8_t> &p) {
        const std::vector<uint8_t> e = &b == &kWin32 && c.width * 4 > 0x3FFF ? RowsFourteenBitsApart(c) : p;
        const std::string wine = ReadAll(out + "/" + c.name + ".argb"), native(e.begin(), e.end());
        const auto diff = std::mismatch(native.begin(), native.end(), wine.begin(), wine.end()).first - native.begin();
        EXPECT_TRUE(wine == native) << c.name << ": " << wine.size() << " bytes, the first difference at byte " << diff;
    });
    EXPECT_EQ(facts.find("not rendered"), std::string::npos) << facts;  // the reference rendered every case
    // Set-up and set-down succeed; threaded rendering (bit 27) declared as native does, but by the 32-bit module.
    EXPECT_TRUE(std::regex_match(facts, std::regex("global set-up 0, version 1574400, flags 5 134217728\n[^]*set-down 0\n")));
    const std::string expected = &b == &kWin32 ? std::regex_replace(facts, std::regex(" 134217728\n"), " 0\n") : facts;
    EXPECT_EQ(ReadAll(out + "/run.txt"), Messages() + expected);
    EXPECT_EQ(ReadAll(out + "/threads.txt"), &b == &kWin64 ? "4 threads: 0 differ\n" : "");  // as hosts do: if declared
}

INSTANTIATE_TEST_SUITE_P(Builds, PeModule, ::testing::Values(&kWin32, &kWin64),
                         [](const auto &info) { return std::string(info.param->label); });

}  // namespace
