// wine_host <module> <folder>, run under Wine by windows_test.cpp: writes pipl.bin (the property list as
// FindResource finds it), run.txt (LoadString of ids 42000-42015, a line each, then the shared run's facts)
// and each render's output, <case>.argb; a module that declares threaded rendering then renders every case
// again from 4 threads at once, each with its own host, and threads.txt counts outputs that differ.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "windows/render_cases.h"

static bool Write(const std::string &path, const void *data, size_t size) {
    return bool(std::ofstream(path, std::ios::binary).write(static_cast<const char *>(data), std::streamsize(size)));
}

// A whole run on a thread's own host; its outputs compared with those rendered alone.
struct ThreadRun { PF_FilterProc entry; const std::map<std::string, std::vector<uint8_t>> *alone; int differ; };
static DWORD WINAPI RunOnThread(LPVOID p) {
    ThreadRun &t = *static_cast<ThreadRun *>(p);
    aehost::Host host(t.entry);
    orvtest::RunCases(host, [&](const orvtest::RenderCase &c, const std::vector<uint8_t> &out) { t.differ += out != t.alone->at(c.name); });
    return 0;
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
    std::map<std::string, std::vector<uint8_t>> alone;
    run += orvtest::RunCases(host, [&](const orvtest::RenderCase &c, const std::vector<uint8_t> &output) {
        ok = Write(dir + c.name + ".argb", output.data(), output.size()) && ok;
        alone[c.name] = output;
    });
    ok = Write(dir + "run.txt", run.data(), run.size()) && ok;
    if (host.OutData().out_flags2 & PF_OutFlag2_SUPPORTS_THREADED_RENDERING) {
        ThreadRun runs[4];
        HANDLE threads[4];
        for (int i = 0; i < 4; ++i) runs[i] = {module.Entry(), &alone, 0}, threads[i] = CreateThread(nullptr, 0, RunOnThread, &runs[i], CREATE_SUSPENDED, nullptr);
        for (HANDLE t : threads) ResumeThread(t);  // all at once
        WaitForMultipleObjects(4, threads, TRUE, INFINITE);
        const std::string line = "4 threads: " + std::to_string(runs[0].differ + runs[1].differ + runs[2].differ + runs[3].differ) + " differ\n";
        ok = Write(dir + "threads.txt", line.data(), line.size()) && ok;
    }
    return ok ? 0 : (std::fprintf(stderr, "wine_host: no property list found, or a file not written\n"), 1);
}
