// Allocation failures through main, in the test build of the module: every allocation a command
// makes failing alone, and memory running out from it on. Every block a call takes is given back,
// a render reports "Memory Allocation Failure!" at most once (with the flag that shows it) and leaves
// its output fully rendered or transparent black, and parameter set-up still reports its count. (The
// leak sanitizer checks set-down's release of handles over the entry fuzzer's replayed corpus.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "reference/render_reference.h"
#include "support/test_support.h"

using aehost::Host;
using aehost::Image;

namespace {

// Every chooser choice hard, soft and mixed, each with a channel choice in turn.
TEST(AllocationFailure, EveryRenderAllocationAloneAndFromItOn) {
    const orvtest::FaultHooks hooks;
    std::mt19937 rng(1212);
    for (int run = 0; run < 14 * 3; ++run) {
        orvref::HostValues v = orvtest::RandomValues(rng, run, 1 + run / 3, run % 3 == 1 ? 4 : 0, 9, 5);
        v.mix = run % 3 == 2 ? 35 : 0;
        const Image in = orvtest::RandomImage(rng, 9, 5, 4);
        auto host = orvtest::ReadyHost(orvtest::FaultModule());
        orvtest::ApplyHostValues(*host, v);
        hooks.fail(0);
        Image whole;
        host->Render(in, whole);
        const long allocations = hooks.count();
        ASSERT_EQ(hooks.live(), 0);
        ASSERT_EQ(whole.Packed(), orvref::Render(in, v)) << "the test build renders as the shipped one";
        const std::vector<uint8_t> cleared(whole.pixels.size(), 0);
        int reported = 0;
        for (bool persist : {false, true})
            for (long n = 1; n <= allocations; ++n) {
                SCOPED_TRACE(orvtest::Describe(v) + ", allocation " + std::to_string(n) + " of " +
                             std::to_string(allocations) + (persist ? " and on" : " alone"));
                host->ClearCalls();
                host->OutData().out_flags = 0;
                Image out = Image::Make(in.width, in.height);
                std::fill(out.pixels.begin(), out.pixels.end(), uint8_t{0xA5});
                persist ? hooks.failFrom(n) : hooks.fail(n);
                host->Render(in, out);
                hooks.fail(0);
                EXPECT_EQ(hooks.live(), 0) << "blocks left after the call";
                const long messages = orvtest::MemoryMessages(*host);
                const bool flagged = (host->OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;
                EXPECT_TRUE(messages <= 1 && flagged == (messages == 1));
                EXPECT_TRUE(messages == 0 || std::string(host->OutData().return_msg) == "Memory Allocation Failure!");
                EXPECT_TRUE(out.pixels == cleared || (!persist && messages == 0 && out.pixels == whole.pixels));
                // Memory that stays short always leaves a parameter object missing; the render's own
                // buffers (the chooser's mask and weights, the processor's row) come last.
                EXPECT_TRUE(messages == 1 || (!persist && n <= allocations - 3)) << "nothing reported";
                reported += !persist && messages == 1;
            }
        EXPECT_GE(reported, 14 + 3) << "each parameter object and the three buffers";
    }
}

// The slot array first (refused: 1 parameter, nothing registered), then the 15 parameter objects in
// slot order; memory running out from object k on registers the objects before it.
TEST(AllocationFailure, ParameterSetUpAloneAndFromItOn) {
    const orvtest::FaultHooks hooks;
    Host counting(orvtest::FaultModule().Entry());
    hooks.fail(0);
    counting.Call(PF_Cmd_PARAMS_SETUP);
    ASSERT_EQ(hooks.count(), 16);
    for (bool persist : {false, true})
        for (long n = 1; n <= 17; ++n) {
            Host host(orvtest::FaultModule().Entry());
            persist ? hooks.failFrom(n) : hooks.fail(n);
            host.Call(PF_Cmd_PARAMS_SETUP);
            hooks.fail(0);
            EXPECT_EQ(hooks.live(), 0);
            const long adds = std::count_if(host.Calls().begin(), host.Calls().end(),
                                            [](const aehost::CallRecord &c) { return c.name == "add_param"; });
            // Allocation k (k >= 2) makes slot k - 2; slot 0 registers nothing.
            const long made = persist ? std::min<long>(14, std::max<long>(0, n - 3)) : (n >= 3 && n <= 16 ? 13 : 14);
            EXPECT_EQ(host.OutData().num_params, n == 1 ? 1 : 15) << n << (persist ? " and on" : " alone");
            EXPECT_EQ(adds, n == 1 ? 0 : made) << n << (persist ? " and on" : " alone");
        }
}

// Without sprintf an error is recorded, not shown: no message, no flag, the output transparent black.
TEST(AllocationFailure, AnErrorWithoutSprintfIsNotShown) {
    const orvtest::FaultHooks hooks;
    auto host = orvtest::ReadyHost(orvtest::FaultModule());
    PF_UtilCallbacks utils = *host->InData().utils;
    utils.ansi.sprintf = nullptr, host->InData().utils = &utils, host->OutData().out_flags = 0;
    std::mt19937 rng(5);
    Image out;
    hooks.failFrom(1), host->Render(orvtest::RandomImage(rng, 4, 3), out), hooks.fail(0);
    EXPECT_TRUE(out.pixels == std::vector<uint8_t>(out.pixels.size(), 0) && host->OutData().out_flags == 0);
}

}  // namespace
