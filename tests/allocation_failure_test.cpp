// Allocation failures through main, in the test build of the module. For every allocation a command
// makes: that allocation failing alone, and memory running out from it on. main returns 0, every
// block the call took is given back (the module's count of live blocks returns to 0), a render
// reports "Memory Allocation Failure!" at most once and leaves its output either fully rendered or
// transparent black, and parameter set-up reports 1 parameter when its slot array is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "reference/render_reference.h"
#include "support/handles.h"
#include "support/test_support.h"

using aehost::Host;
using aehost::Image;
using orvref::HostValues;

namespace {

struct Hooks {
    void (*fail)(long);
    void (*failFrom)(long);
    long (*count)();
    long (*live)();
    void *(*newHandle)(int32_t);

    void Arm(long n, bool persist) const { persist ? failFrom(n) : fail(n); }
};

const Hooks &FaultHooks() {
    static const Hooks hooks = [] {
        aehost::Module &m = orvtest::FaultModule();
        return Hooks{reinterpret_cast<void (*)(long)>(m.Symbol("OrvTestFailAllocation")),
                     reinterpret_cast<void (*)(long)>(m.Symbol("OrvTestFailAllocationsFrom")),
                     reinterpret_cast<long (*)()>(m.Symbol("OrvTestAllocationCount")),
                     reinterpret_cast<long (*)()>(m.Symbol("OrvTestLiveAllocations")),
                     reinterpret_cast<void *(*)(int32_t)>(m.Symbol("OrvTestNewHandle"))};
    }();
    return hooks;
}

bool HooksPresent() {
    const Hooks &h = FaultHooks();
    return h.fail && h.failFrom && h.count && h.live && h.newHandle;
}

void Apply(Host &host, const HostValues &v) { orvtest::ApplyHostValues(host, v); }

int MemoryMessages(const Host &host) {
    int n = 0;
    for (const aehost::CallRecord &call : host.Calls()) n += call.name == "sprintf" && call.text == "Memory Allocation Failure!";
    return n;
}

// Every chooser choice, hard and soft, with and without a mix, each channel choice in turn: every
// allocation of the render failing alone and from it on.
TEST(AllocationFailure, EveryRenderAllocationAloneAndFromItOn) {
    ASSERT_TRUE(HooksPresent());
    const Hooks &hooks = FaultHooks();
    std::mt19937 rng(1212);
    long points = 0;
    int setting = 0;
    for (int32_t choice = 1; choice <= 14; ++choice)
        for (int shape = 0; shape < 3; ++shape) {
            HostValues v;
            v.choosePixels = choice, v.brightness = 30, v.contrast = 45, v.channels = 1 + setting++ % 9;
            v.rangeStart = 5, v.rangeEnd = 55, v.angleStart = 40, v.angleEnd = 300;
            v.blend = shape == 1 ? 10 : 0;
            v.mix = shape == 2 ? 35 : 0;
            const Image in = orvtest::RandomImage(rng, 9, 5, 4);
            auto host = orvtest::ReadyHost(orvtest::FaultModule());
            Apply(*host, v);
            hooks.fail(0);
            Image whole;
            ASSERT_EQ(host->Render(in, whole), 0);
            const long allocations = hooks.count();
            ASSERT_EQ(hooks.live(), 0);
            ASSERT_EQ(whole.Packed(), orvref::Render(in, v));
            const std::vector<uint8_t> cleared(whole.Packed().size(), 0);
            for (bool persist : {false, true})
                for (long n = 1; n <= allocations; ++n) {
                    SCOPED_TRACE("choice " + std::to_string(choice) + " shape " + std::to_string(shape) + ", allocation " +
                                 std::to_string(n) + " of " + std::to_string(allocations) + (persist ? " and on" : " alone"));
                    host->ClearCalls();
                    host->OutData().out_flags = 0;
                    Image out = Image::Make(in.width, in.height);
                    std::fill(out.pixels.begin(), out.pixels.end(), uint8_t{0xA5});
                    hooks.Arm(n, persist);
                    EXPECT_EQ(host->Render(in, out), 0);
                    hooks.fail(0);
                    ++points;
                    EXPECT_EQ(hooks.live(), 0) << "blocks left after the call";
                    const int messages = MemoryMessages(*host);
                    EXPECT_LE(messages, 1);
                    EXPECT_EQ((host->OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0, messages == 1);
                    if (persist || messages == 1)
                        EXPECT_EQ(out.Packed(), cleared);
                    else
                        EXPECT_TRUE(out.Packed() == cleared || out.Packed() == whole.Packed());
                    // Memory that stays short always leaves a parameter object missing: reported.
                    if (persist) {
                        EXPECT_EQ(messages, 1);
                    }
                }
        }
    RecordProperty("failure_points", static_cast<int>(points));
}

// Parameter set-up: the slot array first (refused: 1 parameter, nothing registered), then the 15
// parameter objects in slot order; memory running out from object k on registers the objects before
// it and still reports 15.
TEST(AllocationFailure, ParameterSetUpAloneAndFromItOn) {
    ASSERT_TRUE(HooksPresent());
    const Hooks &hooks = FaultHooks();
    Host counting(orvtest::FaultModule().Entry());
    hooks.fail(0);
    ASSERT_EQ(counting.Call(PF_Cmd_PARAMS_SETUP), 0);
    const long allocations = hooks.count();
    ASSERT_EQ(allocations, 16);  // the slot array and 15 objects
    ASSERT_EQ(hooks.live(), 0);
    for (bool persist : {false, true})
        for (long n = 1; n <= allocations + 1; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + (persist ? " and on" : " alone"));
            Host host(orvtest::FaultModule().Entry());
            hooks.Arm(n, persist);
            EXPECT_EQ(host.Call(PF_Cmd_PARAMS_SETUP), 0);
            hooks.fail(0);
            EXPECT_EQ(hooks.live(), 0);
            int adds = 0;
            for (const aehost::CallRecord &call : host.Calls()) adds += call.name == "add_param";
            EXPECT_EQ(host.OutData().num_params, n == 1 ? 1 : 15);
            // Allocation k (k >= 2) makes slot k - 2; slot 0 registers nothing.
            const long made = persist ? std::min<long>(14, std::max<long>(0, n - 3)) : (n >= 3 && n <= 16 ? 13 : 14);
            EXPECT_EQ(adds, n == 1 ? 0 : made);
        }
}

// A whole session: nothing the module allocates outlives a call, and the commands without
// parameters allocate nothing at all.
TEST(AllocationFailure, NoBlockOutlivesACall) {
    ASSERT_TRUE(HooksPresent());
    const Hooks &hooks = FaultHooks();
    hooks.fail(0);
    Host host(orvtest::FaultModule().Entry());
    const PF_Cmd commands[] = {PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP, PF_Cmd_SEQUENCE_SETUP, PF_Cmd_FRAME_SETUP, 17};
    for (PF_Cmd command : commands) {
        hooks.fail(0);
        host.Call(command);
        EXPECT_EQ(hooks.count(), 0) << "command " << command;
    }
    host.ParamsSetup();
    EXPECT_EQ(hooks.live(), 0);
    std::mt19937 rng(1313);
    for (int32_t choice = 1; choice <= 14; ++choice) {
        HostValues v;
        v.choosePixels = choice, v.blend = choice % 2 ? 5 : 0, v.mix = choice % 3 ? 0 : 20, v.channels = 1 + choice % 9;
        Apply(host, v);
        const Image in = orvtest::RandomImage(rng, 7, 6);
        Image out;
        ASSERT_EQ(host.Render(in, out), 0);
        EXPECT_EQ(hooks.live(), 0) << "choice " << choice;
    }
    host.OutData().global_data = nullptr;
    hooks.fail(0);
    host.GlobalSetdown();
    EXPECT_EQ(hooks.count(), 0);
    EXPECT_EQ(hooks.live(), 0);
}

// Global set-down releases a handle made the module's way, whole, without its block, or of size 0;
// a handle whose record could not be made is none.
TEST(AllocationFailure, GlobalSetdownReleasesAHandle) {
    ASSERT_TRUE(HooksPresent());
    const Hooks &hooks = FaultHooks();
    for (int32_t size : {0, 1, 4096})
        for (long n = 0; n <= 2; ++n) {
            SCOPED_TRACE("size " + std::to_string(size) + ", allocation " + std::to_string(n) + " refused");
            hooks.fail(n);
            orv::Handle handle = static_cast<orv::Handle>(hooks.newHandle(size));
            hooks.fail(0);
            if (n == 1) {
                EXPECT_EQ(handle, nullptr);
            } else {
                ASSERT_NE(handle, nullptr);
                EXPECT_EQ(handle->blockAddress == nullptr, n == 2);
                if (handle->blockAddress && size > 0) {
                    const std::vector<uint8_t> zeros(static_cast<size_t>(size), 0);
                    EXPECT_EQ(std::memcmp(handle->blockAddress, zeros.data(), zeros.size()), 0) << "zero-filled";
                }
            }
            EXPECT_EQ(hooks.live(), n == 1 ? 0 : n == 2 ? 1 : 2);
            Host host(orvtest::FaultModule().Entry());
            host.OutData().global_data = reinterpret_cast<PF_Handle>(handle);
            EXPECT_EQ(host.GlobalSetdown(), 0);
            EXPECT_EQ(hooks.live(), 0);
        }
}

}  // namespace
