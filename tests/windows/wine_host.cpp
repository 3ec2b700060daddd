// wine_host <module> <folder>, run under Wine by windows_test.cpp: writes pipl.bin (the property list as
// FindResource finds it), run.txt (LoadString of ids 42000-42015, a line each, then the shared run's facts)
// and each render's output, <case>.argb.
#include <windows.h>

#include <cstdio>
#include <fstream>

#include "windows/render_cases.h"

static bool Write(const std::string &path, const void *data, size_t size) {
    return bool(std::ofstream(path, std::ios::binary).write(static_cast<const char *>(data), std::streamsize(size)));
}

int main(int argc, char **argv) {
    aehost::Module module;
    std::string error = "usage: wine_host <module> <folder>", run;
    if (argc != 3 || !module.Load(argv[1], &error)) return std::fprintf(stderr, "wine_host: %s\n", error.c_str()), 1;
    const std::string dir = std::string(argv[2]) + "\\";
    HMODULE handle = static_cast<HMODULE>(module.NativeHandle());
    // Where After Effects looks: resource "PIPL" 16000, US English (0x0409).
    HRSRC found = FindResourceExA(handle, "PIPL", MAKEINTRESOURCEA(16000), 0x0409);
    const void *pipl = found ? LockResource(LoadResource(handle, found)) : nullptr;
    bool ok = pipl && Write(dir + "pipl.bin", pipl, SizeofResource(handle, found));
    for (UINT id = 42000; id <= 42015; ++id) {
        char text[512];
        run.append(text, LoadStringA(handle, id, text, sizeof text)) += '\n';  // 0 characters when missing
    }
    aehost::Host host(module.Entry());
    run += orvtest::RunCases(host, [&](const orvtest::RenderCase &c, const std::vector<uint8_t> &output) {
        ok = Write(dir + c.name + ".argb", output.data(), output.size()) && ok;
    });
    ok = Write(dir + "run.txt", run.data(), run.size()) && ok;
    return ok ? 0 : (std::fprintf(stderr, "wine_host: no property list found, or a file not written\n"), 1);
}
