// The RGB coefficient tables and dispatch slots across threads: a construction on another
// thread leaves a published table byte for byte, constructions racing on an empty table
// publish one complete table, and first conversions racing on two threads both convert.
// Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "convert/dispatch_slots.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_to_rgb_coefficients.h"
#include "convert/yuv_to_rgb_tables.h"
#include "rgb_test_support.h"
#include "support/fake_cpu.h"

namespace {

constexpr int kRounds = 50;

// Runs work(0) and work(1) on two threads released together. The start gate spins rather
// than waits: the MinGW runtime's std::barrier can miss a wake-up and hang.
template <typename Work>
void RaceTwoThreads(Work work) {
    std::atomic<int> arrived{0};
    auto startTogether = [&arrived] {
        arrived.fetch_add(1);
        while (arrived.load() < 2) {
            std::this_thread::yield();
        }
    };
    std::thread other([&] {
        startTogether();
        work(1);
    });
    startTogether();
    work(0);
    other.join();
}

void ConstructBoth() {
    const RgbToYuvTables encoder;
    const YuvToRgbTables decoder;
}

std::vector<BYTE> Snapshot(const BYTE* table, std::size_t bytes) {
    return std::vector<BYTE>(table, table + bytes);
}

TEST(RgbTablesThreads, ConstructionOnAnotherThreadLeavesTheTableByteForByte) {
    UseTablesOf(31);
    const BYTE* encoderTable = gRgbToYuvTable.Data();
    const BYTE* decoderTable = gYuvToRgbTable.Data();
    const std::vector<BYTE> encoderBytes = Snapshot(encoderTable, kRgbToYuvEntryCount * 16);
    const std::vector<BYTE> decoderBytes = Snapshot(decoderTable, kYuvToRgbGroupCount * 16);
    ScopedFakeProcessor fake(3);  // even a class of another layout
    std::thread(ConstructBoth).join();
    EXPECT_EQ(gRgbToYuvTable.Data(), encoderTable);
    EXPECT_EQ(gYuvToRgbTable.Data(), decoderTable);
    EXPECT_EQ(Snapshot(encoderTable, encoderBytes.size()), encoderBytes);
    EXPECT_EQ(Snapshot(decoderTable, decoderBytes.size()), decoderBytes);
}

TEST(RgbTablesThreads, RacingConstructionsPublishOneCompleteTable) {
    ScopedFakeProcessor fake(15);
    BYTE expected[kRgbToYuvEntryCount * 16];
    FillRgbToYuvTable(expected, TableLayout::Extended);
    BYTE expectedGroups[kYuvToRgbGroupCount * 16];
    FillYuvToRgbTable(expectedGroups, TableLayout::Extended);
    for (int round = 0; round < kRounds; ++round) {
        gRgbToYuvTable.ResetForTesting();
        gYuvToRgbTable.ResetForTesting();
        RaceTwoThreads([&](int) {
            ConstructBoth();
            // Each constructor leaves with the table in place, whoever filled it.
            ASSERT_NE(gRgbToYuvTable.Data(), nullptr);
            EXPECT_EQ(std::memcmp(gRgbToYuvTable.Data(), expected, kRgbToYuvEntryCount * 8), 0);
            EXPECT_EQ(std::memcmp(gYuvToRgbTable.Data(), expectedGroups, kYuvToRgbGroupCount * 8),
                      0);
        });
    }
}

TEST(RgbTablesThreads, FirstConversionsOnTwoThreadsBothConvert) {
    UseTablesOf(31);
    ScopedFakeProcessor fake(31);
    const int width = 720, rows = 4, pitch = 3 * width;
    const std::vector<BYTE> picture = RandomBytes(static_cast<std::size_t>(pitch) * rows * 2, 21);
    std::vector<BYTE> expected(static_cast<std::size_t>(2 * width) * rows * 2);
    for (int field = 0; field < 2; ++field) {
        EncodeRgb24Field_C(expected.data() + field * 2 * width * rows,
                           picture.data() + field * pitch, width, rows, 2 * width, 2 * pitch);
    }
    for (int round = 0; round < kRounds; ++round) {
        gEncodeRgb24FieldSlot.ResetForTesting();
        std::vector<BYTE> fields(expected.size());
        RaceTwoThreads([&](int field) {
            RgbToYuvTables encoder;
            encoder.EncodeRgb24Field(fields.data() + field * 2 * width * rows,
                                     picture.data() + field * pitch, width, rows, 2 * width,
                                     2 * pitch);
        });
        ASSERT_EQ(fields, expected);
        EXPECT_EQ(gEncodeRgb24FieldSlot.Bound(), EncodeRgb24Field_SSE2);
    }
}

}  // namespace
