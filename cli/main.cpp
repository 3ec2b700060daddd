// orvane: runs the Orvane FX Brightness-Contrast effect module on PNG stills, raw ARGB frames and
// video, driving it only through its exported `main`, the way After Effects does.
#include "commands.h"
#include "interrupt.h"

int main(int argc, char **argv) {
    orvcli::InstallInterruptHandlers();
    return orvcli::RunTool(orvcli::Args(argv + 1, argv + argc));
}
