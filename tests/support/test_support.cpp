#include "support/test_support.h"

#include <cstdio>
#include <stdexcept>

namespace orvtest {

static aehost::Module &Load(aehost::Module &module, const char *path) {
    if (!module.Entry()) {
        std::string error;
        if (!module.Load(path, &error)) throw std::runtime_error("cannot load module: " + error);
    }
    return module;
}

aehost::Module &ShippedModule() {
    static aehost::Module module;
    return Load(module, ORV_MODULE_PATH);
}

aehost::Module &FaultModule() {
    static aehost::Module module;
    return Load(module, ORV_FAULT_MODULE_PATH);
}

std::unique_ptr<aehost::Host> ReadyHost(aehost::Module &module) {
    auto host = std::make_unique<aehost::Host>(module.Entry());
    host->GlobalSetup();
    host->ParamsSetup();
    host->ClearCalls();
    return host;
}

void ApplyHostValues(aehost::Host &host, const orvref::HostValues &v) {
    host.ResetValues();
    host.SetSlider("Brightness", v.brightness);
    host.SetSlider("Contrast", v.contrast);
    host.SetPopup("Channels", v.channels);
    host.SetSlider("Mix with Original", v.mix);
    host.SetPopup("Choose Pixels by", v.choosePixels);
    if (v.centerSet) host.SetPoint("Center", v.centerX, v.centerY);
    host.SetColor("Color", v.color);
    host.SetSlider("Range Start", v.rangeStart);
    host.SetSlider("Range End", v.rangeEnd);
    host.SetAngle("Angle Start", v.angleStart);
    host.SetAngle("Angle End", v.angleEnd);
    host.SetCheckbox("Reverse Range", v.reverse);
    host.SetSlider("Blend", v.blend);
    host.SetSlider("Stretch", v.stretch);
}

aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height, int32_t padding) {
    aehost::Image image = aehost::Image::Make(width, height, width * 4 + padding);
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8_t &b : image.pixels) b = static_cast<uint8_t>(byte(rng));
    return image;
}

void SaveForInspection(const aehost::Image &image, const std::string &name) {
    std::string path = std::string(ORV_TEST_OUTPUT_DIR) + "/" + name + ".pam";
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", image.width,
                 image.height);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            const uint8_t *p = image.Pixel(x, y);
            const uint8_t rgba[4] = {p[1], p[2], p[3], p[0]};
            std::fwrite(rgba, 1, 4, f);
        }
    std::fclose(f);
}

}  // namespace orvtest
