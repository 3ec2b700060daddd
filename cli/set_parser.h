// The --set NAME=VALUE parser: pure functions from the text a user typed and the parameters the
// module registered to the value a host stores, or to a message saying what was wrong and what the
// parameter accepts. Knows no parameter by name: everything comes from the registered definitions.
#ifndef ORVANE_CLI_SET_PARSER_H
#define ORVANE_CLI_SET_PARSER_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/ae_interface.h"

namespace orvcli {

// One registered parameter as the command line sees it.
struct ParamInfo {
    int slot = 0;                      // 1-based registration order, the host's params index
    std::string name;                  // registered name; empty for the checkbox
    std::string label;                 // the checkbox's label
    PF_ParamType type = PF_Param_RESERVED;
    PF_Fixed min = 0, max = 0;         // sliders: the valid range, 16.16
    std::vector<std::string> choices;  // popups: the texts exactly as registered (blanks kept)
};

std::vector<ParamInfo> DescribeParams(const std::vector<PF_ParamDef> &registered);

// The name users type: the registered name, or the label for a checkbox registered without one.
std::string ShownName(const ParamInfo &param);

// What a parameter accepts, in words ("a decimal number from -100 to 100").
std::string Accepted(const ParamInfo &param);

// A value as the host stores it.
struct Assignment {
    int slot = 0;
    PF_ParamType type = PF_Param_RESERVED;
    PF_Fixed fixed = 0;    // sliders and angles: trunc(value x 65536)
    int32_t choice = 0;    // popups: 1-based
    bool on = false;       // checkbox
    PF_Pixel color{};      // colour: alpha 255
    PF_Fixed x = 0, y = 0; // point: trunc(pixels x 65536)
};

// Parses "NAME=VALUE" (NAME case-insensitive, blanks around NAME and VALUE ignored). Returns false
// with `error` set when the name is unknown or the value malformed or out of range.
bool ParseSet(const std::string &text, const std::vector<ParamInfo> &params, Assignment *out, std::string *error);

// A 16.16 value as a short decimal: 6553600 -> "100", -32768 -> "-0.5".
std::string FormatFixed(PF_Fixed value);

}  // namespace orvcli

#endif
