// Messages sent the way a careless or hostile host sends them: null pointers where a record is
// expected, sizes of 0, 1 and one short of what is needed, dimensions at and beyond the limits.
// Each gets its documented answer, and a buffer the driver must not fill stays as the host left
// it. Every record given ends at an unreadable page, so a read or write past it faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "common/fourcc.h"
#include "support/attached_driver.h"
#include "support/guarded_pages.h"

namespace {

constexpr BYTE kHostFill = 0xEE;

// One parameter of a message: nothing, a number, a format header or a buffer of some size.
struct Param {
    enum Kind { kNumber, kHeader, kBuffer } kind = kNumber;
    LPARAM number = 0;
    BITMAPINFOHEADER header{};
    std::size_t bytes = 0;
};

Param Number(LPARAM value) {
    return {Param::kNumber, value};
}
Param Null() {
    return Number(0);
}
Param Format(DWORD compression, WORD bitCount, LONG width, LONG height, DWORD size = 40) {
    Param p{Param::kHeader};
    p.header = {size, width, height, 1, bitCount, compression};
    return p;
}
Param Buffer(std::size_t bytes) {
    Param p{Param::kBuffer};
    p.bytes = bytes;
    return p;
}

const Param kQlnu = Format(kFourCCQlnu, 24, 32, 32);
const Param kRgb = Format(BI_RGB, 24, 32, 32);

struct MalformedCall {
    const char* name;
    UINT message;
    Param l1;
    Param l2;
    LRESULT answer;
};

void PrintTo(const MalformedCall& c, std::ostream* out) {
    *out << c.name;
}

const MalformedCall kCalls[] = {
    // Format questions.
    {"CompressQueryNegativeWidth", ICM_COMPRESS_QUERY, Format(BI_RGB, 24, -16, 32), Null(),
     ICERR_BADFORMAT},
    {"CompressQueryWidestMultipleOf16", ICM_COMPRESS_QUERY, Format(BI_RGB, 24, INT_MAX - 15, 16),
     Null(), ICERR_BADFORMAT},
    {"CompressQueryLowestHeight", ICM_COMPRESS_QUERY, Format(BI_RGB, 24, 16, INT_MIN), Null(),
     ICERR_BADFORMAT},
    {"CompressGetFormatShortHeader", ICM_COMPRESS_GET_FORMAT, Format(BI_RGB, 24, 32, 32, 39),
     Null(), ICERR_BADFORMAT},
    {"CompressGetFormatOfRefusedInput", ICM_COMPRESS_GET_FORMAT, Format(BI_RGB, 16, 32, 32),
     Buffer(40), ICERR_BADFORMAT},
    {"CompressGetSizeTooLargeToCount", ICM_COMPRESS_GET_SIZE, Format(BI_RGB, 24, 0x10000, 0x8000),
     Null(), ICERR_BADFORMAT},
    {"DecompressGetFormatNegativeWidth", ICM_DECOMPRESS_GET_FORMAT,
     Format(kFourCCQlnu, 24, -16, 32), Buffer(40), ICERR_BADFORMAT},
    {"DecompressGetFormatShortHeader", ICM_DECOMPRESS_GET_FORMAT,
     Format(kFourCCQlnu, 24, 32, 32, 1), Buffer(40), ICERR_BADFORMAT},
    // Session begins on an open instance.
    {"CompressBeginOfRefusedInput", ICM_COMPRESS_BEGIN, Format(kFourCCUyvy, 24, 32, 32), kQlnu,
     ICERR_BADFORMAT},
    {"DecompressBeginWithoutOutput", ICM_DECOMPRESS_BEGIN, Null(), kRgb, ICERR_BADFORMAT},
    {"DecompressBeginTo32BitRgb", ICM_DECOMPRESS_BEGIN, kQlnu, Format(BI_RGB, 32, 32, 32),
     ICERR_BADFORMAT},
    // State and information records.
    {"GetStateSizeZero", ICM_GETSTATE, Buffer(12), Number(0), 12},
    {"GetStateOneShort", ICM_GETSTATE, Buffer(11), Number(11), 0},
    {"GetStateOneByte", ICM_GETSTATE, Buffer(1), Number(1), 0},
    {"SetStateOneShort", ICM_SETSTATE, Buffer(11), Number(11), 0},
    {"SetStateSizeZero", ICM_SETSTATE, Buffer(12), Number(0), 0},
    {"SetStateForeignHandler", ICM_SETSTATE, Buffer(12), Number(12), 0},
    {"GetInfoOneShort", ICM_GETINFO, Buffer(sizeof(ICINFO) - 1), Number(sizeof(ICINFO) - 1), 0},
    {"GetInfoSizeZero", ICM_GETINFO, Buffer(sizeof(ICINFO)), Number(0), 0},
};

class MalformedCallTest : public AttachedDriverTest,
                          public ::testing::WithParamInterface<MalformedCall> {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        id_ = Open();
    }
    void TearDown() override {
        Close(id_);
        AttachedDriverTest::TearDown();
    }

    // The parameter as the host passes it; headers and buffers live at the end of a page.
    LPARAM Place(const Param& param) {
        if (param.kind == Param::kNumber) {
            return param.number;
        }
        const std::size_t bytes =
            param.kind == Param::kHeader ? sizeof(BITMAPINFOHEADER) : param.bytes;
        auto& pages = pages_.emplace_back(std::make_unique<GuardedPages>(bytes));
        std::memset(pages->data(), kHostFill, bytes);
        if (param.kind == Param::kHeader) {
            std::memcpy(pages->data(), &param.header, bytes);
        }
        originals_.emplace_back(pages->data(), pages->data() + bytes);
        return reinterpret_cast<LPARAM>(pages->data());
    }

    bool EveryRecordUntouched() const {
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (!std::equal(originals_[i].begin(), originals_[i].end(), pages_[i]->data())) {
                return false;
            }
        }
        return true;
    }

    DWORD_PTR id_ = 0;
    std::vector<std::unique_ptr<GuardedPages>> pages_;
    std::vector<std::vector<BYTE>> originals_;
};

TEST_P(MalformedCallTest, GetsItsDocumentedAnswer) {
    const MalformedCall& c = GetParam();
    const LPARAM l1 = Place(c.l1);
    const LPARAM l2 = Place(c.l2);
    EXPECT_EQ(Send(id_, c.message, l1, l2), c.answer);
    EXPECT_TRUE(EveryRecordUntouched());
}

INSTANTIATE_TEST_SUITE_P(Calls, MalformedCallTest, ::testing::ValuesIn(kCalls),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
