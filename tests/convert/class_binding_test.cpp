// What each processor class binds at every binding point (the conversion slots, the
// coefficient-table layout, FastCopy), when the binding happens, the pictures that reach no
// kernel, and calls cut short by a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "codec/fast_copy.h"
#include "kernel_families.h"
#include "support/guarded_pages.h"

namespace {

constexpr BYTE kSentinel = 0xA5;
constexpr int kWidth = 16;

void ResetAllSlots() {
    for (const FieldOperation& operation : kFieldOperations) {
        operation.slot->ResetForTesting();
    }
    ResetFastCopySlotForTesting();
}

bool Untouched(const std::vector<BYTE>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](BYTE b) { return b == kSentinel; });
}

// Two rows of kWidth pixels through the operation's slot; answers the destination.
std::vector<BYTE> RunSlot(const FieldOperation& operation, int width = kWidth, int rows = 2) {
    const int sourceStride = kWidth * operation.sourceBytesPerPixel;
    const int destinationStride = kWidth * operation.destinationBytesPerPixel;
    const std::vector<BYTE> source(static_cast<std::size_t>(sourceStride) * 2, 0x35);
    std::vector<BYTE> destination(static_cast<std::size_t>(destinationStride) * 2 + 16, kSentinel);
    operation.slot->Run(destination.data(), source.data(), width, rows, destinationStride,
                        sourceStride);
    return destination;
}

void ExpectTableLayout(const BYTE* table, TableLayout layout, std::size_t bytes,
                       void (*fill)(BYTE*, TableLayout)) {
    if (layout == TableLayout::None) {
        EXPECT_EQ(table, nullptr);
        return;
    }
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(table) % 128, 0u);
    GuardedPages expected(bytes);  // a fill that writes past its layout's size faults
    fill(expected.data(), layout);
    EXPECT_EQ(std::memcmp(table, expected.data(), bytes), 0);
}

class ClassBindingTest : public ::testing::TestWithParam<ClassBinding> {
protected:
    void TearDown() override { ResetAllSlots(); }
};

TEST_P(ClassBindingTest, EveryBindingPointTakesTheVariantOfTheClass) {
    const ClassBinding& binding = GetParam();
    const bool avx2 = binding.conversion == &FieldKernelRow::avx2;
    if (const std::string why = WhyCannotRun(binding.cpuClass, avx2); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ResetAllSlots();
    FillTablesAs(binding.cpuClass);
    const FakeProcessor processor = ProcessorOfClass(binding.cpuClass);
    ScopedFakeProcessor fake(binding.avx2Xcr0 ? WithAvx2(processor, *binding.avx2Xcr0) : processor);
    const TableLayout layout = binding.layout;
    ExpectTableLayout(gRgbToYuvTable.Data(), layout,
                      kRgbToYuvEntryCount * RgbToYuvEntryBytes(layout), FillRgbToYuvTable);
    ExpectTableLayout(gYuvToRgbTable.Data(), layout,
                      kYuvToRgbGroupCount * YuvToRgbGroupBytes(layout), FillYuvToRgbTable);

    for (const FieldOperation& operation : kFieldOperations) {
        SCOPED_TRACE(operation.name);
        const FieldKernel expected =
            binding.conversion == nullptr ? nullptr : operation.slot->Row().*binding.conversion;
        EXPECT_EQ(Untouched(RunSlot(operation)), expected == nullptr);
        EXPECT_EQ(operation.slot->Bound(), expected);
        // A bound slot never classifies again; an empty one classifies on every call.
        const int queries = ScopedFakeProcessor::Queries();
        RunSlot(operation);
        EXPECT_EQ(ScopedFakeProcessor::Queries() > queries, expected == nullptr);
    }

    EXPECT_TRUE(FastCopySlotHoldsResolverForTesting());
    const std::vector<BYTE> source(8192 + 33, 0x3C);
    std::vector<BYTE> destination(source.size());
    FastCopy(destination.data(), source.data(), static_cast<DWORD>(source.size()));
    EXPECT_EQ(destination, source);
    EXPECT_EQ(FastCopySlotForTesting(), binding.copy);
    EXPECT_EQ(FieldCopyFunctionFor(CopyVariantFor(binding.cpuClass)), binding.fieldCopy);
    const int queries = ScopedFakeProcessor::Queries();
    FastCopy(destination.data(), source.data(), 100);
    EXPECT_EQ(ScopedFakeProcessor::Queries(), queries);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, ClassBindingTest, ::testing::ValuesIn(kClassBindings), [](const auto& info) {
        return "Class" + std::to_string(info.param.cpuClass) +
               (info.param.avx2Xcr0 ? "Avx2Xcr0_" + std::to_string(*info.param.avx2Xcr0) : "");
    });

TEST(ClassBinding, NarrowOrEmptyPicturesReachNoKernel) {
    ResetAllSlots();
    ScopedFakeProcessor fake(31);
    for (const FieldOperation& operation : kFieldOperations) {
        for (auto [width, rows] : {std::pair{0, 1}, {8, 2}, {15, 2}, {-16, 1}, {16, 0}, {16, -1}}) {
            EXPECT_TRUE(Untouched(RunSlot(operation, width, rows)))
                << operation.name << " " << width << " x " << rows;
        }
        EXPECT_EQ(operation.slot->Bound(), nullptr);
    }
    EXPECT_EQ(ScopedFakeProcessor::Queries(), 0);
}

TEST(ClassBinding, TablesAreFilledOnceEvenForAClassOfAnotherLayout) {
    FillTablesAs(31);
    const std::vector<BYTE> encoder(gRgbToYuvTable.Data(), gRgbToYuvTable.Data() + 160);
    const std::vector<BYTE> decoder(gYuvToRgbTable.Data(), gYuvToRgbTable.Data() + 128);
    ScopedFakeProcessor fake(3);
    const RgbToYuvTables encoderTables;
    const YuvToRgbTables decoderTables;
    EXPECT_EQ(std::memcmp(gRgbToYuvTable.Data(), encoder.data(), encoder.size()), 0);
    EXPECT_EQ(std::memcmp(gYuvToRgbTable.Data(), decoder.data(), decoder.size()), 0);
}

// A test for each class that it names, on a processor that runs the class's variants.
class OnClassTest : public ::testing::TestWithParam<CpuClass> {
public:
    static std::string Name(const testing::TestParamInfo<CpuClass>& info) {
        return "Class" + std::to_string(info.param);
    }

protected:
    void SetUp() override {
        if (const std::string why = WhyCannotRun(GetParam()); !why.empty()) {
            GTEST_SKIP() << why;
        }
    }
};

class KernelFaultTest : public OnClassTest {};

// A kernel reading into unreadable pages: the rows before them are converted, the call returns
// with the MMX registers free, and the next call works.
TEST_P(KernelFaultTest, KernelCutShortByAFaultReturnsQuietly) {
    const int rowBytes = 2048;  // one source row is half of a 4096-byte page
    const int rows = 16;
    GuardedPages source(static_cast<std::size_t>(rowBytes) * rows);
    std::iota(source.data(), source.data() + source.size(), BYTE{0});
    const std::size_t unreadablePages = source.size() / 2 / GuardedPages::PageSize();
    const int readableRows =
        static_cast<int>((source.size() - unreadablePages * GuardedPages::PageSize()) / rowBytes);
    source.ProtectLastPages(unreadablePages);
    std::vector<BYTE> expected(source.size(), kSentinel);
    PackYuy2Field_C(expected.data(), source.data(), rowBytes / 2, readableRows, rowBytes, rowBytes);
    ResetAllSlots();
    ScopedFakeProcessor fake(GetParam());
    for (int call = 0; call < 2; ++call) {
        std::vector<BYTE> destination(source.size(), kSentinel);
        gPackYuy2FieldSlot.Run(destination.data(), source.data(), rowBytes / 2,
                               call == 0 ? rows : readableRows, rowBytes, rowBytes);
        EXPECT_EQ(X87TagWord(), 0xFFFFu);
        EXPECT_EQ(std::memcmp(destination.data(), expected.data(),
                              static_cast<std::size_t>(readableRows) * rowBytes),
                  0)
            << "call " << call;
    }
    ResetAllSlots();
}

INSTANTIATE_TEST_SUITE_P(Classes, KernelFaultTest, ::testing::Values(3, 31), OnClassTest::Name);

// The pages from `readable` on are unreadable: the copy returns with the MMX registers free,
// the destination holds the source up to the last whole step before the fault (a block
// variant pre-reads its 8192-byte block first), and nothing at or beyond the fault is written.
void ExpectCopyEndsQuietly(CpuClass cpuClass, DWORD count, DWORD readable, DWORD copiedAtLeast) {
    SCOPED_TRACE(testing::Message() << count << " bytes");
    ResetFastCopySlotForTesting();
    ScopedFakeProcessor fake(cpuClass);
    GuardedPages source(count);
    std::iota(source.data(), source.data() + count, BYTE{1});
    source.ProtectLastPages((count - readable) / GuardedPages::PageSize());
    std::vector<BYTE> destination(count, kSentinel);
    FastCopy(destination.data(), source.data(), count);
    EXPECT_EQ(X87TagWord(), 0xFFFFu);
    EXPECT_EQ(std::memcmp(destination.data(), source.data(), copiedAtLeast), 0);
    EXPECT_TRUE(Untouched(std::vector<BYTE>(destination.begin() + readable, destination.end())));
    std::vector<BYTE> again(readable);
    FastCopy(again.data(), source.data(), readable);
    EXPECT_EQ(std::memcmp(again.data(), source.data(), readable), 0);
}

class CopyFaultTest : public OnClassTest {};

TEST_P(CopyFaultTest, CopyFromAPartlyUnreadableSourceReturnsQuietly) {
    const DWORD page = static_cast<DWORD>(GuardedPages::PageSize());
    // In the 32-byte steps after the blocks.
    ExpectCopyEndsQuietly(GetParam(), 2 * page - 192, page - 192, page - 192);
    // Inside the third of five blocks.
    ExpectCopyEndsQuietly(GetParam(), 5 * 8192, 2 * 8192 + page, 2 * 8192);
    ResetFastCopySlotForTesting();
}

INSTANTIATE_TEST_SUITE_P(Classes, CopyFaultTest, ::testing::Values(0, 3, 15, 31, 159),
                         OnClassTest::Name);

}  // namespace
