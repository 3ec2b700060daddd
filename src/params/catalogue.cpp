#include "params/catalogue.h"

#include <array>

namespace orv {
namespace {

constexpr PF_Pixel kOpaqueBlack = {255, 0, 0, 0};

constexpr CatalogueEntry Number(float minimum, float maximum, float dephault, uint8_t kind) {
    return CatalogueEntry{dephault, dephault, kOpaqueBlack, minimum, maximum, kind};
}
constexpr CatalogueEntry NumberWithReference(float minimum, float maximum, float reference, uint8_t kind,
                                             float dephault) {
    return CatalogueEntry{reference, dephault, kOpaqueBlack, minimum, maximum, kind};
}
constexpr CatalogueEntry Colour(PF_Pixel color) { return CatalogueEntry{0, 0, color, 0, 0, kKindColor}; }

// Rows 0..145. Only ids 106-110, 112-117 and 143 are read by this effect; the others belong to the
// framework's other effects and only need to exist in the framework's row shapes.
constexpr std::array<CatalogueEntry, kCatalogueRows> BuildCatalogue() {
    std::array<CatalogueEntry, kCatalogueRows> t{};
    const float A = 35999;
    int i = 0;
    t[i++] = Number(0, 300, 100, kKindNumber);                          // 0
    t[i++] = Number(0, 100, 50, kKindNumber);                           // 1
    t[i++] = Number(0, 1, 0.5f, kKindPairA);                            // 2
    t[i++] = Number(-100, 100, 0.5f, kKindHorizontal);                  // 3
    t[i++] = Number(-100, 100, 0.5f, kKindVertical);                    // 4
    t[i++] = Number(-A, A, 0, kKindAngle);                              // 5
    t[i++] = Number(0, 100, 0, kKindNumber);                            // 6
    t[i++] = Number(0, 1, 1, kKindPairB);                               // 7
    t[i++] = Colour(PF_Pixel{0, 255, 255, 255});                        // 8
    t[i++] = Number(-10, 10, 0.5f, kKindHorizontal);                    // 9
    t[i++] = Number(-10, 10, 0.5f, kKindVertical);                      // 10
    t[i++] = Number(0, 200, 100, kKindNumber);                          // 11
    t[i++] = Number(-A, A, 45, kKindAngle);                             // 12
    t[i++] = Number(0, 1, 0, kKindPairA);                               // 13
    t[i++] = Number(0, 1, 0, kKindPairB);                               // 14
    t[i++] = Number(1, 64, 4, kKindNumber);                             // 15
    t[i++] = Number(0, 1, 0.25f, kKindHorizontal);                      // 16
    t[i++] = Number(0, 1, 0.25f, kKindVertical);                        // 17
    t[i++] = NumberWithReference(0, 1, 0, kKindPairA, 1);               // 18
    t[i++] = Number(0, 1, 0.5f, kKindPairB);                            // 19
    // 20..57: numbers, angles and pairs of the framework's other effects.
    for (; i < 58; ++i) {
        switch (i % 6) {
            case 0: t[i] = Number(0, 100, 0, kKindNumber); break;
            case 1: t[i] = Number(-100, 100, 0, kKindNumber); break;
            case 2: t[i] = (i < 44) ? Number(0, 1, 0.5f, kKindHorizontal) : Number(0, 10, 1, kKindNumber); break;
            case 3: t[i] = (i < 44) ? Number(0, 1, 0.5f, kKindVertical) : Number(0, 255, 128, kKindNumber); break;
            case 4: t[i] = Number(0, 1, 1, kKindPairA); break;
            default: t[i] = (i < 40) ? Number(-A, A, 0, kKindAngle) : Number(0, 1, 0, kKindPairB); break;
        }
    }
    t[i++] = Colour(PF_Pixel{0, 60, 80, 160});  // 58
    for (; i < 106; ++i) {
        switch (i % 8) {
            case 0: t[i] = Colour(PF_Pixel{0, static_cast<uint8_t>(i), 128, 255}); break;
            case 1: t[i] = Number(-A, A, 0, kKindAngle); break;
            case 2: t[i] = Number(-10, 10, 0.5f, kKindHorizontal); break;
            case 3: t[i] = NumberWithReference(0, 1, 1, kKindPairA, 0); break;
            case 4: t[i] = Number(0, 1, 0, kKindPairB); break;
            default: t[i] = Number(0, 100, 25, kKindNumber); break;
        }
    }
    t[i++] = Number(0, 1.25f, 0, kKindHorizontal);                      // 106 Range Start
    t[i++] = Number(0, 1.25f, 0.25f, kKindHorizontal);                  // 107 Range End
    t[i++] = Number(0, 0.5f, 0, kKindHorizontal);                       // 108 Blend
    t[i++] = Number(-A, A, 0, kKindAngle);                              // 109 Angle Start
    t[i++] = Number(-A, A, 90, kKindAngle);                             // 110 Angle End
    t[i++] = Number(0, 100, 100, kKindNumber);                          // 111
    t[i++] = Number(-10, 10, 0.5f, kKindHorizontal);                    // 112 Center, horizontal
    t[i++] = Number(-10, 10, 0.5f, kKindVertical);                      // 113 Center, vertical
    t[i++] = Colour(PF_Pixel{0, 0, 0, 0});                              // 114 Color
    t[i++] = NumberWithReference(0, 100, 100, kKindNumber, 0);          // 115 Mix with Original
    t[i++] = Number(-100, 100, 0, kKindNumber);                         // 116 Brightness
    t[i++] = Number(-100, 100, 0, kKindNumber);                         // 117 Contrast
    for (; i < 143; ++i) {
        switch (i % 5) {
            case 0: t[i] = Number(0, 100, 0, kKindNumber); break;
            case 1: t[i] = NumberWithReference(0, 1, 0.5f, kKindPairA, 0); break;
            case 2: t[i] = Number(-A, A, 0, kKindAngle); break;
            case 3: t[i] = Number(0, 1, 1, kKindPairB); break;
            default: t[i] = (i == 139) ? Colour(PF_Pixel{0, 255, 0, 0}) : Number(0, 20, 1, kKindNumber); break;
        }
    }
    t[i++] = Number(-100, 100, 0, kKindNumber);                         // 143 Stretch
    t[i++] = Number(0, 1, 0.5f, kKindHorizontal);                       // 144
    t[i++] = Number(0, 1, 0.5f, kKindVertical);                         // 145
    return t;
}

// Filled at load time, before the host's first call; read-only afterwards.
constexpr std::array<CatalogueEntry, kCatalogueRows> kCatalogue = BuildCatalogue();

}  // namespace

const CatalogueEntry &CatalogueRow(int16_t id) { return kCatalogue[static_cast<size_t>(id)]; }

}  // namespace orv
