// orvane: runs the Orvane FX Brightness-Contrast effect module on PNG stills, raw ARGB frames and
// video, driving it only through its exported `main`, the way After Effects does.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "interrupt.h"

int main(int argc, char **argv) {
    orvcli::InstallInterruptHandlers();
    if (argc < 2) {
        std::fputs(orvcli::kUsage, stderr);
        return 2;
    }
    std::string command = argv[1];
    orvcli::Args args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(orvcli::kUsage, stdout);
        return 0;
    }
    if (command == "render") return orvcli::CommandRender(args);
    if (command == "mask") return orvcli::CommandMask(args);
    if (command == "params") return orvcli::CommandParams(args);
    if (command == "about") return orvcli::CommandAbout(args);
    if (command == "demo") return orvcli::CommandDemo(args);
    std::fprintf(stderr, "orvane: unknown command \"%s\"; the commands are render, mask, params, about and demo\n\n%s",
                 command.c_str(), orvcli::kUsage);
    return 2;
}
