#include "set_parser.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvcli {

namespace {

std::string Trim(const std::string &s) {
    size_t begin = 0, end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    return s.substr(begin, end - begin);
}

std::string TrimRight(const std::string &s) {
    size_t end = s.size();
    while (end > 0 && s[end - 1] == ' ') --end;
    return s.substr(0, end);
}

std::string Lower(const std::string &s) {
    std::string out = s;
    for (char &c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A plain decimal: optional sign, digits with an optional point ("12", "-0.5", ".25", "3.").
// Exponents, hex, inf and nan are not numbers a user reads off a slider.
bool ParseDecimal(const std::string &text, double *value) {
    std::string s = Trim(text);
    size_t i = 0, digits = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0 || i != s.size()) return false;
    *value = std::strtod(s.c_str(), nullptr);
    return true;
}

bool ParseInteger(const std::string &text, long *value) {
    std::string s = Trim(text);
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    *value = std::strtol(s.c_str(), nullptr, 10);
    return true;
}

// Whether trunc(value x 65536) fits a 32-bit 16.16 number.
bool FitsFixed(double value) {
    double scaled = value * 65536.0;
    return scaled > -2147483649.0 && scaled < 2147483648.0;
}

// trunc(value x 65536), computed in double precision.
PF_Fixed Fix(double value) { return static_cast<PF_Fixed>(value * 65536.0); }

bool SplitPair(const std::string &text, std::string *a, std::string *b) {
    size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) return false;
    *a = text.substr(0, comma);
    *b = text.substr(comma + 1);
    return true;
}

bool ParseColor(const std::string &text, PF_Pixel *color) {
    std::string s = Trim(text);
    if (!s.empty() && s[0] == '#') {
        if (s.size() != 7) return false;
        for (size_t i = 1; i < 7; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
        unsigned long rgb = std::strtoul(s.c_str() + 1, nullptr, 16);
        *color = PF_Pixel{255, static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                          static_cast<uint8_t>(rgb)};
        return true;
    }
    long parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t comma = s.find(',', start);
        if ((i < 2) != (comma != std::string::npos)) return false;
        std::string part = s.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!ParseInteger(part, &parts[i]) || parts[i] > 255) return false;
        start = comma + 1;
    }
    *color = PF_Pixel{255, static_cast<uint8_t>(parts[0]), static_cast<uint8_t>(parts[1]),
                      static_cast<uint8_t>(parts[2])};
    return true;
}

bool ParseChoice(const std::string &text, const ParamInfo &param, int32_t *choice) {
    long number;
    if (ParseInteger(text, &number)) {
        if (number < 1 || number > static_cast<long>(param.choices.size())) return false;
        *choice = static_cast<int32_t>(number);
        return true;
    }
    // Some registered texts end in blanks ("Green "); a user need not type them.
    std::string wanted = Lower(TrimRight(Trim(text)));
    for (size_t i = 0; i < param.choices.size(); ++i)
        if (Lower(TrimRight(param.choices[i])) == wanted) {
            *choice = static_cast<int32_t>(i) + 1;
            return true;
        }
    return false;
}

bool ParseSwitch(const std::string &text, bool *on) {
    static const char *const kOn[] = {"on", "true", "yes", "1"};
    static const char *const kOff[] = {"off", "false", "no", "0"};
    std::string s = Lower(Trim(text));
    for (const char *word : kOn)
        if (s == word) return *on = true, true;
    for (const char *word : kOff)
        if (s == word) return *on = false, true;
    return false;
}

}  // namespace

std::string FormatFixed(PF_Fixed value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", value / 65536.0);
    std::string s = buffer;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

std::vector<ParamInfo> DescribeParams(const std::vector<PF_ParamDef> &registered) {
    std::vector<ParamInfo> params;
    for (size_t i = 0; i < registered.size(); ++i) {
        const PF_ParamDef &def = registered[i];
        ParamInfo info;
        info.slot = static_cast<int>(i) + 1;
        info.name.assign(def.name, strnlen(def.name, sizeof def.name));
        info.type = def.param_type;
        if (def.param_type == PF_Param_FIX_SLIDER) {
            info.min = def.u.fd.valid_min;
            info.max = def.u.fd.valid_max;
        } else if (def.param_type == PF_Param_CHECKBOX && def.u.bd.u.nameptr) {
            info.label = def.u.bd.u.nameptr;
        } else if (def.param_type == PF_Param_POPUP && def.u.pd.u.namesptr) {
            std::string items = def.u.pd.u.namesptr;
            size_t start = 0;
            for (int n = 0; n < def.u.pd.num_choices; ++n) {
                size_t bar = items.find('|', start);
                info.choices.push_back(items.substr(start, bar == std::string::npos ? bar : bar - start));
                if (bar == std::string::npos) break;
                start = bar + 1;
            }
        }
        params.push_back(info);
    }
    return params;
}

std::string ShownName(const ParamInfo &param) { return param.name.empty() ? param.label : param.name; }

std::string Accepted(const ParamInfo &param) {
    switch (param.type) {
        case PF_Param_FIX_SLIDER:
            return "a decimal number from " + FormatFixed(param.min) + " to " + FormatFixed(param.max);
        case PF_Param_ANGLE:
            return "an angle in degrees (a decimal number from -32768 to 32767)";
        case PF_Param_POPUP: {
            std::string s = "a choice number 1 to " + std::to_string(param.choices.size()) + " or one of: ";
            for (size_t i = 0; i < param.choices.size(); ++i)
                s += (i ? ", \"" : "\"") + TrimRight(param.choices[i]) + "\"";
            return s;
        }
        case PF_Param_CHECKBOX:
            return "on/off, true/false, yes/no or 1/0";
        case PF_Param_COLOR:
            return "a colour as R,G,B (each 0 to 255) or #RRGGBB";
        case PF_Param_POINT:
            return "X,Y in pixels of the input (decimals and negatives allowed, each from -32768 to 32767)";
        default:
            return "nothing (it cannot be set)";
    }
}

bool ParseSet(const std::string &text, const std::vector<ParamInfo> &params, Assignment *out, std::string *error) {
    size_t equals = text.find('=');
    if (equals == std::string::npos) {
        *error = "--set \"" + text + "\": expected NAME=VALUE, for example --set Brightness=25";
        return false;
    }
    std::string name = Trim(text.substr(0, equals));
    std::string value = text.substr(equals + 1);
    const ParamInfo *param = nullptr;
    for (const ParamInfo &p : params) {
        std::string shown = ShownName(p);
        if (!shown.empty() && Lower(shown) == Lower(name)) {
            param = &p;
            break;
        }
    }
    if (!param) {
        std::string names;
        for (const ParamInfo &p : params)
            if (p.type != PF_Param_LAYER && !ShownName(p).empty()) names += (names.empty() ? "" : ", ") + ShownName(p);
        *error = "--set " + text + ": no parameter is named \"" + name + "\"; the names are: " + names;
        return false;
    }

    Assignment a;
    a.slot = param->slot;
    a.type = param->type;
    bool ok = false;
    bool inRange = true;
    double number = 0.0, x = 0.0, y = 0.0;
    std::string xs, ys;
    switch (param->type) {
        case PF_Param_FIX_SLIDER:
            ok = ParseDecimal(value, &number);
            inRange = ok && number >= param->min / 65536.0 && number <= param->max / 65536.0;
            a.fixed = inRange ? Fix(number) : 0;
            break;
        case PF_Param_ANGLE:
            ok = ParseDecimal(value, &number);
            inRange = ok && FitsFixed(number);
            a.fixed = inRange ? Fix(number) : 0;
            break;
        case PF_Param_POPUP:
            ok = ParseChoice(value, *param, &a.choice);
            break;
        case PF_Param_CHECKBOX:
            ok = ParseSwitch(value, &a.on);
            break;
        case PF_Param_COLOR:
            ok = ParseColor(value, &a.color);
            break;
        case PF_Param_POINT:
            ok = SplitPair(value, &xs, &ys) && ParseDecimal(xs, &x) && ParseDecimal(ys, &y);
            inRange = ok && FitsFixed(x) && FitsFixed(y);
            a.x = inRange ? Fix(x) : 0;
            a.y = inRange ? Fix(y) : 0;
            break;
        default:
            break;
    }
    std::string shown = "\"" + ShownName(*param) + "\"";
    if (!ok) {
        *error = "--set " + text + ": " + shown + " takes " + Accepted(*param);
        return false;
    }
    if (!inRange) {
        *error = "--set " + text + ": " + Trim(value) + " is outside the range of " + shown + ", which takes " +
                 Accepted(*param);
        return false;
    }
    *out = a;
    return true;
}

}  // namespace orvcli
