// The 64-bit Windows module loaded and run by a Windows host program under 64-bit Wine: the
// property list and messages as the Windows resource API returns them, global and parameter
// set-up, and every shared render case byte for byte equal to the native module's output.
//
// Wine runs once for the whole suite (the first start in a fresh prefix takes tens of seconds),
// with its own prefix in the build folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <sys/wait.h>

#include "aehost.h"
#include "windows/render_cases.h"
#include "windows/windows_builds.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Z: is the whole Unix file system in every Wine prefix.
std::string WindowsPath(const std::string &path) {
    std::string out = "Z:" + path;
    for (char &c : out)
        if (c == '/') c = '\\';
    return out;
}

std::string Quoted(const std::string &s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class WineHost : public ::testing::Test {
protected:
    struct Run {
        bool done = false;
        int status = -1;
        std::string log;
        std::map<std::string, std::string> report;
    };
    static Run run;

    static std::string Exe() { return std::string(ORV_WINDOWS_X64_DIR) + "/tests/windows/wine_host.exe"; }
    static std::string OutDir() { return std::string(ORV_WINE_WORK_DIR) + "/out"; }

    static void RunOnce() {
        if (run.done) return;
        run.done = true;
        const std::string work = ORV_WINE_WORK_DIR, out = OutDir(), logPath = work + "/wine_host.log";
        fs::remove_all(out);  // never compare with an earlier run's files
        fs::create_directories(out);
        // Mono and Gecko are not wanted: without the override the first start offers to install them.
        const std::string command = "cd " + Quoted(work) + " && WINEDEBUG=-all WINEPREFIX=" + Quoted(work + "/prefix") +
                                    " WINEDLLOVERRIDES='mscoree,mshtml=' " + Quoted(ORV_WINE) + " " + Quoted(Exe()) +
                                    " " + Quoted(WindowsPath(ModulePath())) + " " + Quoted(WindowsPath(out)) + " > " +
                                    Quoted(logPath) + " 2>&1";
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("wine_host under Wine: %.1f s\n", seconds);
        run.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.log = ReadAll(logPath);
        std::ifstream report(out + "/report.txt");
        for (std::string line; std::getline(report, line);) {
            size_t eq = line.find('=');
            if (eq != std::string::npos) run.report[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    static std::string ModulePath() { return orvtest::kWin64.Module(); }

    void SetUp() override {
        ORV_NEED_FILE(ModulePath(), std::string("the 64-bit module"));
        ORV_NEED_FILE(Exe(), std::string("the Windows host program"));
        ORV_NEED_FILE(std::string(ORV_WINE), std::string("64-bit Wine"));
        RunOnce();
        ASSERT_EQ(run.status, 0) << "wine_host failed; its output:\n" << run.log;
    }

    static std::string Fact(const std::string &key) {
        auto it = run.report.find(key);
        return it == run.report.end() ? "(not reported)" : it->second;
    }
};
WineHost::Run WineHost::run;

// A native host of the native module, set up as the Windows program sets up its host.
struct NativeHost {
    aehost::Module module;
    std::unique_ptr<aehost::Host> host;
    NativeHost() {
        std::string error;
        if (!module.Load(ORV_MODULE_PATH, &error)) throw std::runtime_error(error);
        host = std::make_unique<aehost::Host>(module.Entry());
        host->OutData().out_flags = 0;
        host->GlobalSetup();
        host->ParamsSetup();
    }
};

TEST_F(WineHost, PiplReadThroughTheResourceApiIsTheDeclaredList) {
    const std::string pipl = ReadAll(OutDir() + "/pipl.bin");
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(pipl.data());
    for (const std::string &problem : orvtest::CheckEffectPipl(bytes, pipl.size(), orvtest::FourCC("8664")))
        ADD_FAILURE() << problem;
    size_t size = 0;
    const uint8_t *declared = orv::PiplBytes(orv::PiplEntryKey::Win64X86, &size);
    EXPECT_EQ(pipl, std::string(reinterpret_cast<const char *>(declared), size));
    EXPECT_EQ(Fact("entry_name"), "main");
}

TEST_F(WineHost, LoadStringReadsTheModulesMessages) {
    EXPECT_EQ(Fact("string.42003"), "Memory Allocation Failure!");
    for (int id = 42000; id <= 42015; ++id) {
        const char *text = orv::StringTableText(id);
        EXPECT_EQ(Fact("string." + std::to_string(id)), text ? text : "(missing)") << id;
    }
}

TEST_F(WineHost, GlobalSetupReportsVersionAndFlags) {
    EXPECT_EQ(Fact("global_setup"), "0");
    EXPECT_EQ(Fact("my_version"), "1574400");
    EXPECT_EQ(Fact("out_flags"), "5");
    EXPECT_EQ(Fact("out_flags2"), "0") << "no multi-frame rendering claim: the module is not thread-safe";
    EXPECT_EQ(Fact("global_setdown"), "0");
}

TEST_F(WineHost, ParamsSetupRegistersWhatTheNativeModuleRegisters) {
    NativeHost native;
    EXPECT_EQ(Fact("num_params"), std::to_string(native.host->OutData().num_params));
    EXPECT_EQ(Fact("num_params"), "15");
    const std::vector<PF_ParamDef> &defs = native.host->Registered();
    ASSERT_EQ(Fact("registered"), std::to_string(defs.size()));
    for (size_t i = 0; i < defs.size(); ++i) {
        const PF_ParamDef &d = defs[i];
        std::string name = d.param_type == PF_Param_CHECKBOX && d.u.bd.u.nameptr ? d.u.bd.u.nameptr : d.name;
        EXPECT_EQ(Fact("param." + std::to_string(i + 1)), std::to_string(d.param_type) + " " + name);
    }
}

TEST_F(WineHost, EveryRenderCaseEqualsTheNativeOutputByteForByte) {
    NativeHost native;
    const std::vector<orvtest::RenderCase> cases = orvtest::RenderCases();
    EXPECT_EQ(Fact("cases"), std::to_string(cases.size()));
    int identical = 0;
    for (const orvtest::RenderCase &c : cases) {
        SCOPED_TRACE(c.name);
        aehost::Image output;
        std::string error;
        ASSERT_TRUE(orvtest::RenderCaseOutput(*native.host, c, &output, &error)) << error;
        const std::vector<uint8_t> expected = output.Packed();
        const std::string windows = ReadAll(OutDir() + "/" + orvtest::CaseFileName(c));
        ASSERT_EQ(windows.size(), expected.size());
        size_t first = 0;
        while (first < expected.size() && static_cast<uint8_t>(windows[first]) == expected[first]) ++first;
        if (first == expected.size()) {
            ++identical;
            continue;
        }
        std::ofstream(OutDir() + "/" + c.name + ".native.argb", std::ios::binary)
            .write(reinterpret_cast<const char *>(expected.data()), static_cast<std::streamsize>(expected.size()));
        const size_t pixel = first / 4;
        ADD_FAILURE() << "first difference at pixel (" << pixel % c.width << ", " << pixel / c.width << ") byte "
                      << first % 4 << ": Windows " << int(static_cast<uint8_t>(windows[first])) << ", native "
                      << int(expected[first]) << "; both outputs (.argb, .native.argb) in " << OutDir();
    }
    EXPECT_EQ(identical, static_cast<int>(cases.size()));
}

}  // namespace
