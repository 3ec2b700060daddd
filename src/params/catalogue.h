// The parameter catalogue: one module-wide table giving every parameter of the effects framework
// its range, default and kind of quantity, in the units the render works in.
#ifndef ORV_PARAMS_CATALOGUE_H
#define ORV_PARAMS_CATALOGUE_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

enum CatalogueKind : uint8_t {
    kKindNumber = 0,
    kKindAngle = 1,
    kKindHorizontal = 2,
    kKindVertical = 3,
    kKindPairA = 4,
    kKindPairB = 5,
    kKindColor = 6
};

struct CatalogueEntry {
    float reference;  // equal to the default but in ten rows; a point's horizontal default
    float dephault;
    PF_Pixel color;   // a colour row's default; opaque black elsewhere
    float minimum;
    float maximum;
    uint8_t kind;
};

constexpr int kCatalogueRows = 146;

// Row `id` (0..145); ids are not checked, as every id a parameter holds is in range.
const CatalogueEntry &CatalogueRow(int16_t id);

// The ids this effect reads.
enum CatalogueId : int16_t {
    kIdNone = -1,
    kIdRangeStart = 106,
    kIdRangeEnd = 107,
    kIdBlend = 108,
    kIdAngleStart = 109,
    kIdAngleEnd = 110,
    kIdCenterX = 112,
    kIdCenterY = 113,
    kIdColor = 114,
    kIdMix = 115,
    kIdBrightness = 116,
    kIdContrast = 117,
    kIdStretch = 143
};

}  // namespace orv

#endif
