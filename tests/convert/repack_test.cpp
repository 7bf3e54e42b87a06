// The packed-YUV kernels: every variant against the portable reference byte for byte, the
// bytes the layouts define, and the inverse pairs.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "repack_operations.h"
#include "support/guarded_pages.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

constexpr BYTE kSentinel = 0xA5;

std::vector<BYTE> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<BYTE> bytes(count);
    for (BYTE& b : bytes) {
        b = static_cast<BYTE>(generator());
    }
    return bytes;
}

// A source picture whose last row ends exactly at an unreadable page.
struct GuardedSource {
    GuardedSource(int width, int rows, int bytesPerPixel, int stride, unsigned seed)
        : rowBytes(width * bytesPerPixel),
          stride(stride),
          pages(static_cast<std::size_t>(stride) * (rows - 1) + rowBytes) {
        const std::vector<BYTE> random = RandomBytes(pages.size(), seed);
        std::memcpy(pages.data(), random.data(), random.size());
    }
    int rowBytes;
    int stride;
    GuardedPages pages;
};

struct Geometry {
    int destinationOffset;    // from a 16-byte boundary
    int destinationPadding;   // gap bytes after each destination row
    int sourcePaddingFactor;  // 2: every other source row, as the sessions read fields
};

// Runs `kernel` and the reference on the same source into sentinel-filled destinations and
// compares everything, gaps included.
void ExpectSameAsReference(FieldKernel kernel, FieldKernel reference, int bytesPerPixel, int width,
                           int rows, const Geometry& geometry) {
    const int sourceStride = width * bytesPerPixel * geometry.sourcePaddingFactor;
    GuardedSource source(width, rows, bytesPerPixel, sourceStride, width * 7 + rows);
    const int rowBytes = 2 * width;
    const int destinationStride = rowBytes + geometry.destinationPadding;
    const std::size_t bytes = static_cast<std::size_t>(destinationStride) * rows + 64;
    std::vector<BYTE> expected(bytes, kSentinel);
    alignas(16) static BYTE actualStorage[1 << 21];
    ASSERT_LE(bytes, sizeof actualStorage);
    BYTE* actual = actualStorage + geometry.destinationOffset;
    std::memset(actual, kSentinel, bytes);

    reference(expected.data(), source.pages.data(), width, rows, destinationStride, sourceStride);
    kernel(actual, source.pages.data(), width, rows, destinationStride, sourceStride);

    ASSERT_EQ(std::memcmp(expected.data(), actual, bytes), 0);
    for (int row = 0; row < rows; ++row) {
        const BYTE* gap = expected.data() + static_cast<std::size_t>(row) * destinationStride;
        for (int i = rowBytes; i < destinationStride; ++i) {
            ASSERT_EQ(gap[i], kSentinel) << "row " << row << " gap byte " << i;
        }
    }
}

struct VariantCase {
    RepackOperation operation;
    KernelVariant variant;
};

void PrintTo(const VariantCase& c, std::ostream* out) {
    *out << c.operation.name << "_" << c.variant.name;
}

std::vector<VariantCase> AllVariantCases() {
    std::vector<VariantCase> cases;
    for (const RepackOperation& operation : RepackOperations()) {
        if (operation.slot == &gUnpackYuy2FieldSlot) {
            continue;  // the very kernels of PackYuy2Field
        }
        for (const KernelVariant& variant : KernelVariants()) {
            cases.push_back({operation, variant});
        }
    }
    return cases;
}

class RepackKernelTest : public ::testing::TestWithParam<VariantCase> {
protected:
    FieldKernel Kernel() const { return GetParam().operation.kernels.*GetParam().variant.member; }
    void ExpectSame(int width, int rows, const Geometry& geometry) {
        SCOPED_TRACE(testing::Message()
                     << width << " x " << rows << ", offset " << geometry.destinationOffset
                     << ", padding " << geometry.destinationPadding);
        ExpectSameAsReference(Kernel(), GetParam().operation.reference,
                              GetParam().operation.sourceBytesPerPixel, width, rows, geometry);
    }
};

TEST_P(RepackKernelTest, MatchesReferenceOnRandomPictures) {
    for (int width : {16, 32, 720, 1920}) {
        for (int rows : {1, 3, 288}) {
            ExpectSame(width, rows, {0, 0, 1});
        }
    }
}

TEST_P(RepackKernelTest, MatchesReferenceAtUnalignedDestinations) {
    for (int offset : {1, 8, 15}) {
        ExpectSame(720, 3, {offset, 0, 1});
    }
}

TEST_P(RepackKernelTest, LeavesStrideGapsAndSkippedSourceRowsAlone) {
    // Gaps of 40 bytes break the 16-byte alignment of later rows; gaps of 48 keep it.
    for (int padding : {40, 48}) {
        for (int offset : {0, 4}) {
            ExpectSame(720, 3, {offset, padding, 2});
            ExpectSame(16, 288, {offset, padding, 2});
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, RepackKernelTest, ::testing::ValuesIn(AllVariantCases()),
                         [](const auto& info) {
                             return std::string(info.param.operation.name) + "_" +
                                    info.param.variant.name;
                         });

// Every kernel of `row` and the reference, on one block.
std::vector<FieldKernel> AllKernels(const RepackOperation& operation) {
    std::vector<FieldKernel> kernels{operation.reference};
    for (const KernelVariant& variant : KernelVariants()) {
        kernels.push_back(operation.kernels.*variant.member);
    }
    return kernels;
}

const RepackOperation& Operation(const char* name) {
    for (const RepackOperation& operation : RepackOperations()) {
        if (std::string(operation.name) == name) {
            return operation;
        }
    }
    throw std::invalid_argument(name);
}

void ExpectFirstBlock(const char* operation, const std::vector<BYTE>& source,
                      const std::vector<BYTE>& expectedStart) {
    for (FieldKernel kernel : AllKernels(Operation(operation))) {
        std::vector<BYTE> out(32, kSentinel);
        kernel(out.data(), source.data(), 16, 1, 32, static_cast<int>(source.size()));
        EXPECT_TRUE(std::equal(expectedStart.begin(), expectedStart.end(), out.begin()))
            << operation;
    }
}

TEST(RepackBytes, PackedPairsAreRearrangedAsTheLayoutsSay) {
    std::vector<BYTE> quads(32);
    for (int i = 0; i < 32; ++i) {
        quads[i] = static_cast<BYTE>(i % 4 + 1);
    }
    ExpectFirstBlock("PackYuy2Field", quads, {2, 1, 4, 3, 2, 1, 4, 3});
    ExpectFirstBlock("PackYvyuField", quads, {4, 1, 2, 3, 4, 1, 2, 3});
    ExpectFirstBlock("UnpackYuy2Field", quads, {2, 1, 4, 3});
    ExpectFirstBlock("UnpackYvyuField", quads, {2, 3, 4, 1, 2, 3, 4, 1});
}

TEST(RepackBytes, BlockLayoutsInterleaveTheirChroma) {
    std::vector<BYTE> y16(32);
    std::vector<BYTE> y16a(48, 0xEE);
    std::vector<BYTE> expected;
    for (int j = 0; j < 16; ++j) {
        y16[j] = y16a[j] = static_cast<BYTE>(100 + j);
    }
    for (int j = 0; j < 8; ++j) {
        y16[16 + j] = y16a[32 + j] = static_cast<BYTE>(10 + j);
        y16[24 + j] = y16a[40 + j] = static_cast<BYTE>(20 + j);
        expected.insert(expected.end(),
                        {static_cast<BYTE>(10 + j), static_cast<BYTE>(100 + 2 * j),
                         static_cast<BYTE>(20 + j), static_cast<BYTE>(101 + 2 * j)});
    }
    ExpectFirstBlock("PackY16Field", y16, expected);
    ExpectFirstBlock("PackY16AField", y16a, expected);

    std::vector<BYTE> counting(32);
    std::iota(counting.begin(), counting.end(), 0);
    std::vector<BYTE> unpacked;
    for (int m = 0; m < 16; ++m) {
        unpacked.push_back(static_cast<BYTE>(2 * m + 1));
    }
    for (int j = 0; j < 8; ++j) {
        unpacked.push_back(static_cast<BYTE>(4 * j));
    }
    for (int j = 0; j < 8; ++j) {
        unpacked.push_back(static_cast<BYTE>(4 * j + 2));
    }
    ExpectFirstBlock("UnpackY16Field", counting, unpacked);
}

TEST(RepackBytes, PackThenUnpackGivesThePictureBack) {
    const char* pairs[][2] = {{"PackYuy2Field", "UnpackYuy2Field"},
                              {"PackYvyuField", "UnpackYvyuField"},
                              {"PackY16Field", "UnpackY16Field"}};
    const int width = 720;
    const int rows = 3;
    const std::vector<BYTE> picture = RandomBytes(2 * width * rows, 5);
    for (const auto& pair : pairs) {
        const std::vector<FieldKernel> packers = AllKernels(Operation(pair[0]));
        const std::vector<FieldKernel> unpackers = AllKernels(Operation(pair[1]));
        for (std::size_t v = 0; v < packers.size(); ++v) {
            std::vector<BYTE> field(picture.size());
            std::vector<BYTE> back(picture.size());
            packers[v](field.data(), picture.data(), width, rows, 2 * width, 2 * width);
            unpackers[v](back.data(), field.data(), width, rows, 2 * width, 2 * width);
            EXPECT_EQ(back, picture) << pair[0] << " variant " << v;
        }
    }
}

// The alpha bytes of "Y16A" are never read: their values change nothing, and where the
// address sanitizer runs, reading them is reported.
TEST(RepackBytes, Y16AAlphaIsNeverRead) {
    const int width = 64;
    const int rows = 2;
    const int blocks = width / 16 * rows;
    alignas(16) static BYTE source[48 * 8];
    const std::vector<BYTE> random = RandomBytes(sizeof source, 9);
    std::memcpy(source, random.data(), sizeof source);
    std::vector<BYTE> withZeroAlpha(source, source + sizeof source);
    for (int b = 0; b < blocks; ++b) {
        std::memset(withZeroAlpha.data() + 48 * b + 16, 0, 16);
#if defined(__SANITIZE_ADDRESS__)
        ASAN_POISON_MEMORY_REGION(source + 48 * b + 16, 16);
#endif
    }
    for (FieldKernel kernel : AllKernels(Operation("PackY16AField"))) {
        std::vector<BYTE> expected(2 * width * rows);
        std::vector<BYTE> actual(2 * width * rows);
        PackY16AField_C(expected.data(), withZeroAlpha.data(), width, rows, 2 * width, 3 * width);
        kernel(actual.data(), source, width, rows, 2 * width, 3 * width);
        EXPECT_EQ(actual, expected);
    }
#if defined(__SANITIZE_ADDRESS__)
    ASAN_UNPOISON_MEMORY_REGION(source, sizeof source);
#endif
}

}  // namespace
