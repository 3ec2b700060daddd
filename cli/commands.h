// The orvane commands. Each takes the arguments after its name and returns the exit status:
// 0 success, 1 the effect reported an error, 2 bad usage, bad input or an output that could not be
// written (with a message on stderr, and no output left behind).
#ifndef ORVANE_CLI_COMMANDS_H
#define ORVANE_CLI_COMMANDS_H

#include <string>
#include <vector>

namespace orvcli {

using Args = std::vector<std::string>;

int CommandRender(const Args &args);
int CommandMask(const Args &args);
int CommandParams(const Args &args);
int CommandAbout(const Args &args);
int CommandDemo(const Args &args);

// The usage text of the tool as a whole.
extern const char kUsage[];

}  // namespace orvcli

#endif
