// Shared test helpers: the built module loaded once, hosts ready to render, seeded random images.
#ifndef ORV_TESTS_TEST_SUPPORT_H
#define ORV_TESTS_TEST_SUPPORT_H

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "aehost.h"
#include "reference/render_reference.h"

namespace orvtest {

// The shipped module and the allocation-failure test build, each loaded once per test run.
aehost::Module &ShippedModule();
aehost::Module &FaultModule();

// A host that has run global set-up and parameter set-up on the module.
std::unique_ptr<aehost::Host> ReadyHost(aehost::Module &module);

// Sets every parameter of the host to the given values (each parameter by its registered name);
// the centre only when the values say it is set, else it stays at its default.
void ApplyHostValues(aehost::Host &host, const orvref::HostValues &v);

// An image of seeded random bytes (all four channels), with optional row padding in bytes.
aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height, int32_t padding = 0);

// Writes an image as a binary PPM+alpha pair (for a person to look at after a failure).
void SaveForInspection(const aehost::Image &image, const std::string &name);

}  // namespace orvtest

#endif
