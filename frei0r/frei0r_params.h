// The effect's 14 parameters as frei0r hosts see them, and the rules that turn a frei0r value into
// the value an After Effects host stores. Ranges and defaults are not copied here: they are read
// from what the module registers, so the two cannot disagree.
#ifndef ORV_FREI0R_FREI0R_PARAMS_H
#define ORV_FREI0R_FREI0R_PARAMS_H

#include <cstdint>
#include <string>
#include <vector>

namespace orvfrei0r {

// How a frei0r value reaches the host record of its parameter.
enum class Kind { kSlider, kAngle, kPopup, kCheckbox, kColor, kPoint };

struct ParamRow {
    const char *name;         // the registered name (for the checkbox, its label)
    Kind kind;
    const char *explanation;  // shown by hosts next to the control
};

constexpr int kParamCount = 14;
// In registration order: frei0r parameter i is host parameter slot i + 1.
extern const ParamRow kParams[kParamCount];

// The F0R_PARAM_* type of a kind: sliders and angles are doubles, popups strings, the checkbox a
// bool, the colour a colour, the point a position.
int Frei0rType(Kind kind);

// v rounded to the nearest multiple of 1e-6: the double a user gets by typing the value with six
// decimals, so that 0..1 mappings give back the exact decimals they were meant to (0.5625 x 200 - 100
// = 12.5) before the host's truncation to 16.16.
double SixDecimals(double v);

// A slider reading from d in 0..1 (clamped): min + d x (max - min), to six decimals.
double SliderValue(double d, double min, double max);
// Host degrees from d in 0..1 (clamped): 360 d, to six decimals.
double AngleDegrees(double d);
// A colour component in 0..1 (clamped) as a byte, rounded to nearest: c x 255 + 0.5, truncated.
uint8_t ColorByte(double c);

// The popup texts of a registered "A|B|C" list, blanks kept.
std::vector<std::string> SplitChoices(const char *names);
// The 1-based choice that `text` names: its number, or a choice text in any case with trailing blanks
// optional (blanks around `text` ignored). 0 when it names none.
int32_t ParseChoice(const char *text, const std::vector<std::string> &choices);

}  // namespace orvfrei0r

#endif
