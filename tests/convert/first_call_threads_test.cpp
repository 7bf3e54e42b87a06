// First calls racing on two threads: dispatch slots, the FastCopy slot and coefficient-table
// publication. Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "codec/fast_copy.h"
#include "codec/fast_copy_variants.h"
#include "convert/coefficient_table.h"
#include "convert/dispatch_slots.h"
#include "convert/kernel_selection.h"
#include "convert/repack_kernels.h"
#include "convert/yuv_repacker.h"
#include "support/race_two_threads.h"
#include "support/real_processor.h"

namespace {

constexpr int kRounds = 50;

TEST(FirstCallThreads, TwoThreadsBindTheSameKernelAndBothConvert) {
    const int width = 720;
    const int rows = 4;
    const int rowBytes = 2 * width;
    std::vector<BYTE> source(static_cast<std::size_t>(rowBytes) * rows * 2);
    std::iota(source.begin(), source.end(), BYTE{0});
    std::vector<BYTE> expected(source.size());
    PackYvyuField_C(expected.data(), source.data(), width, rows * 2, rowBytes, rowBytes);
    for (int round = 0; round < kRounds; ++round) {
        gPackYvyuFieldSlot.ResetForTesting();
        std::vector<BYTE> destination(source.size());
        // Each thread packs one field: the even or the odd rows.
        RaceTwoThreads([&](int field) {
            YuvRepacker repacker;
            repacker.PackYvyuField(destination.data() + field * rowBytes,
                                   source.data() + field * rowBytes, width, rows, 2 * rowBytes,
                                   2 * rowBytes);
        });
        ASSERT_EQ(destination, expected);
        const FieldKernelRow& row = gPackYvyuFieldSlot.Row();
        EXPECT_EQ(gPackYvyuFieldSlot.Bound(),
                  ProcessorRunsAvx2() ? row.avx2 : SelectFieldKernel(row, ExpectedCpuClass()));
    }
    gPackYvyuFieldSlot.ResetForTesting();
}

TEST(FirstCallThreads, TwoThreadsResolveFastCopyToTheSameVariant) {
    const std::vector<BYTE> source(3 * 8192 + 5, 0x5A);
    for (int round = 0; round < kRounds; ++round) {
        ResetFastCopySlotForTesting();
        std::vector<BYTE> destinations[2] = {std::vector<BYTE>(source.size()),
                                             std::vector<BYTE>(source.size())};
        RaceTwoThreads([&](int thread) {
            FastCopy(destinations[thread].data(), source.data(), static_cast<DWORD>(source.size()));
        });
        EXPECT_EQ(destinations[0], source);
        EXPECT_EQ(destinations[1], source);
        EXPECT_EQ(FastCopySlotForTesting(), CopyFunctionFor(CopyVariantFor(ExpectedCpuClass())));
    }
    ResetFastCopySlotForTesting();
}

constexpr std::size_t kTableBytes = 4096;
CoefficientTable<kTableBytes> gRaceTable;

TEST(FirstCallThreads, RacingPublishersBothLeaveWithTheWholeTable) {
    for (int round = 0; round < kRounds; ++round) {
        gRaceTable.ResetForTesting();
        const BYTE* seen[2] = {};
        RaceTwoThreads([&](int thread) {
            // Each thread fills the table with its own sequence, counting up from 1 or 2.
            gRaceTable.PublishOnce([thread](BYTE* entries) {
                std::iota(entries, entries + kTableBytes, static_cast<BYTE>(thread + 1));
            });
            seen[thread] = gRaceTable.Data();
        });
        ASSERT_NE(seen[0], nullptr);
        ASSERT_EQ(seen[0], seen[1]);
        // Exactly one filler ran, and all of it.
        const BYTE seed = seen[0][0];
        for (std::size_t i = 0; i < kTableBytes; ++i) {
            ASSERT_EQ(seen[0][i], static_cast<BYTE>(seed + i));
        }
    }
}

}  // namespace
