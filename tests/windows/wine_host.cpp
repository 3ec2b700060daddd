// A Windows host of the 64-bit module, run under Wine by the native tests.
//
//   wine_host <module.aex> <output folder>
//
// Loads the module with LoadLibrary, reads its property list through the resource API and checks
// it as the host does, calls the entry point the list names (found with GetProcAddress), reads the
// message table with LoadString, runs global and parameter set-up and renders every shared render
// case. Writes into the output folder:
//   report.txt   key=value lines: the facts read (set-up values, strings, parameter names, cases)
//   pipl.bin     the property list exactly as LoadResource returned it
//   <case>.argb  each case's output, packed rows
// Exit status 0 when every check made here passed; the problems are printed otherwise.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "aehost.h"
#include "windows/pipl_reader.h"
#include "windows/render_cases.h"

namespace {

std::vector<std::string> problems;

void Problem(const std::string &text) {
    problems.push_back(text);
    std::fprintf(stderr, "wine_host: %s\n", text.c_str());
}

bool WriteFile(const std::string &path, const void *data, size_t size) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// The property list as After Effects finds it: resource "PIPL" 16000, US English.
std::vector<uint8_t> ReadPiplResource(HMODULE module) {
    HRSRC found = FindResourceExA(module, "PIPL", MAKEINTRESOURCEA(16000), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!found) {
        Problem("no PIPL 16000 resource in US English (error " + std::to_string(GetLastError()) + ")");
        return {};
    }
    HGLOBAL loaded = LoadResource(module, found);
    const uint8_t *bytes = loaded ? static_cast<const uint8_t *>(LockResource(loaded)) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!bytes || size == 0) {
        Problem("PIPL 16000 could not be loaded");
        return {};
    }
    return std::vector<uint8_t>(bytes, bytes + size);
}

// A message of the module's string table, or "(missing)".
std::string LoadMessage(HMODULE module, UINT id) {
    char text[512] = {0};
    int n = LoadStringA(module, id, text, sizeof text);
    return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string("(missing)");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wine_host <module.aex> <output folder>\n");
        return 2;
    }
    const std::string modulePath = argv[1], outDir = std::string(argv[2]) + "\\";
    std::string report;
    auto fact = [&report](const std::string &key, const std::string &value) { report += key + "=" + value + "\n"; };

    aehost::Module module;
    std::string error;
    if (!module.Load(modulePath, &error)) {
        std::fprintf(stderr, "wine_host: %s\n", error.c_str());
        return 1;
    }
    HMODULE handle = static_cast<HMODULE>(module.NativeHandle());

    // The list names the entry point; the host calls what GetProcAddress finds under that name.
    std::vector<uint8_t> pipl = ReadPiplResource(handle);
    WriteFile(outDir + "pipl.bin", pipl.data(), pipl.size());
    for (const std::string &p : orvtest::CheckEffectPipl(pipl.data(), pipl.size(), orvtest::FourCC("8664")))
        Problem("property list: " + p);
    std::vector<orvtest::PiplProperty> props;
    size_t consumed = 0;
    orvtest::ReadPipl(pipl.data(), pipl.size(), &props, &consumed, &error);
    const orvtest::PiplProperty *entryName = orvtest::FindProperty(props, orvtest::FourCC("8664"));
    PF_FilterProc entry = nullptr;
    if (entryName && !entryName->data.empty() && entryName->data.back() == 0) {
        const char *name = reinterpret_cast<const char *>(entryName->data.data());
        fact("entry_name", name);
        entry = reinterpret_cast<PF_FilterProc>(reinterpret_cast<void *>(GetProcAddress(handle, name)));
    }
    if (!entry) {
        Problem("the entry point the property list names is not exported");
        return 1;
    }
    if (entry != module.Entry()) Problem("the entry point named by the property list is not `main`");

    for (UINT id = 42000; id <= 42015; ++id) fact("string." + std::to_string(id), LoadMessage(handle, id));

    aehost::Host host(entry);
    host.OutData().out_flags = 0;
    PF_Err status = host.GlobalSetup();
    fact("global_setup", std::to_string(status));
    fact("my_version", std::to_string(host.OutData().my_version));
    fact("out_flags", std::to_string(host.OutData().out_flags));
    fact("out_flags2", std::to_string(host.OutData().out_flags2));
    const orvtest::PiplProperty *ver = orvtest::FindProperty(props, orvtest::FourCC("eVER"));
    const orvtest::PiplProperty *glo = orvtest::FindProperty(props, orvtest::FourCC("eGLO"));
    // A host warns when the list and global set-up disagree.
    if (!ver || ver->length != 4 || std::memcmp(ver->data.data(), &host.OutData().my_version, 4) != 0)
        Problem("eVER differs from the version global set-up reports");
    if (!glo || glo->length != 4 || std::memcmp(glo->data.data(), &host.OutData().out_flags, 4) != 0)
        Problem("eGLO differs from the out flags global set-up reports");

    const std::vector<PF_ParamDef> &defs = host.ParamsSetup();
    fact("num_params", std::to_string(host.OutData().num_params));
    fact("registered", std::to_string(defs.size()));
    for (size_t i = 0; i < defs.size(); ++i) {
        const PF_ParamDef &d = defs[i];
        std::string name = d.param_type == PF_Param_CHECKBOX && d.u.bd.u.nameptr ? d.u.bd.u.nameptr : d.name;
        fact("param." + std::to_string(i + 1), std::to_string(d.param_type) + " " + name);
    }

    const std::vector<orvtest::RenderCase> cases = orvtest::RenderCases();
    int rendered = 0;
    for (const orvtest::RenderCase &c : cases) {
        aehost::Image output;
        if (!orvtest::RenderCaseOutput(host, c, &output, &error)) {
            Problem(error);
            continue;
        }
        std::vector<uint8_t> packed = output.Packed();
        if (!WriteFile(outDir + orvtest::CaseFileName(c), packed.data(), packed.size()))
            Problem("cannot write the output of " + c.name);
        else
            ++rendered;
    }
    fact("cases", std::to_string(rendered));
    fact("global_setdown", std::to_string(host.GlobalSetdown()));

    if (!WriteFile(outDir + "report.txt", report.data(), report.size())) Problem("cannot write report.txt");
    std::printf("wine_host: %d cases rendered, %zu problems\n", rendered, problems.size());
    return problems.empty() ? 0 : 1;
}
