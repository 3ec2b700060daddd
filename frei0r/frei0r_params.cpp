#include "frei0r_params.h"

extern "C" {  // the header declares C functions without saying so
#include <frei0r.h>
}

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace orvfrei0r {

const ParamRow kParams[kParamCount] = {
    {"Brightness", Kind::kSlider, "Brightness: 0..1 is -100..100, 0.5 leaves it"},
    {"Contrast", Kind::kSlider, "Contrast: 0..1 is -100..100, 0.5 leaves it"},
    {"Channels", Kind::kPopup,
     "Channels adjusted: RGB, Red, Green, Blue, Red and Green, Red and Blue, Green and Blue, Difference, "
     "Alpha (the text or its number 1..9)"},
    {"Mix with Original", Kind::kSlider, "Mix with the unadjusted picture: 0..1 is 0..100 %"},
    {"Choose Pixels by", Kind::kPopup,
     "Which pixels are adjusted: All, Luma, Red, Green, Blue, Alpha, Saturation, Hue, Lightness, RGB Diff, "
     "Point, Rectangle, Edge, Angle (the text or its number 1..14)"},
    {"Center", Kind::kPoint, "Centre of Point, Rectangle and Angle, in fractions of the frame"},
    {"Color", Kind::kColor, "Reference colour of RGB Diff"},
    {"Range Start", Kind::kSlider, "Start of the chosen range: 0..1 is 0..125 %"},
    {"Range End", Kind::kSlider, "End of the chosen range: 0..1 is 0..125 %"},
    {"Angle Start", Kind::kAngle, "Start of the chosen hue or direction: 0..1 is 0..360 degrees"},
    {"Angle End", Kind::kAngle, "End of the chosen hue or direction: 0..1 is 0..360 degrees"},
    {"Reverse Range", Kind::kCheckbox, "Adjust the pixels outside the range instead"},
    {"Blend", Kind::kSlider, "Soft edge of the range: 0..1 is 0..50 %"},
    {"Stretch", Kind::kSlider, "Stretch of Point and Rectangle: 0..1 is -100..100, 0.5 none"},
};

int Frei0rType(Kind kind) {
    switch (kind) {
        case Kind::kSlider:
        case Kind::kAngle: return F0R_PARAM_DOUBLE;
        case Kind::kPopup: return F0R_PARAM_STRING;
        case Kind::kCheckbox: return F0R_PARAM_BOOL;
        case Kind::kColor: return F0R_PARAM_COLOR;
        case Kind::kPoint: return F0R_PARAM_POSITION;
    }
    return F0R_PARAM_DOUBLE;
}

static double Unit(double d) { return std::isnan(d) ? 0.0 : std::clamp(d, 0.0, 1.0); }

double SixDecimals(double v) { return std::round(v * 1e6) / 1e6; }

double SliderValue(double d, double min, double max) { return SixDecimals(min + Unit(d) * (max - min)); }

double AngleDegrees(double d) { return SixDecimals(360.0 * Unit(d)); }

uint8_t ColorByte(double c) { return static_cast<uint8_t>(Unit(c) * 255.0 + 0.5); }

std::vector<std::string> SplitChoices(const char *names) {
    std::vector<std::string> choices(1);
    for (const char *p = names; p && *p; ++p) {
        if (*p == '|') choices.emplace_back();
        else choices.back() += *p;
    }
    return choices;
}

static std::string Trimmed(const std::string &s, bool front) {
    size_t end = s.find_last_not_of(' ');
    size_t begin = front ? s.find_first_not_of(' ') : 0;
    return end == std::string::npos ? "" : s.substr(begin, end + 1 - begin);
}

static bool SameText(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int32_t ParseChoice(const char *text, const std::vector<std::string> &choices) {
    const std::string wanted = Trimmed(text ? text : "", true);
    if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), ::isdigit)) {
        long number = wanted.size() > 3 ? 0 : std::strtol(wanted.c_str(), nullptr, 10);
        return number >= 1 && number <= static_cast<long>(choices.size()) ? static_cast<int32_t>(number) : 0;
    }
    for (size_t i = 0; i < choices.size(); ++i)
        if (SameText(Trimmed(choices[i], false), wanted)) return static_cast<int32_t>(i) + 1;
    return 0;
}

}  // namespace orvfrei0r
