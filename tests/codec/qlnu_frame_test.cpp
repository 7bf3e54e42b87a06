// The frame reader's walk over the records, with every frame ending where an unreadable page
// begins, so that a reader looking at even one byte past the frame faults.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/qlnu_frame.h"
#include "frame_builder.h"
#include "support/guarded_pages.h"

namespace {

constexpr DWORD kField = 64;  // the field bytes of a 16 × 4 picture
constexpr DWORD kOdd = kOddField;

// Where the two fields that the reader takes start, and their OddField bits; a refused frame
// has both offsets 0.
struct FrameCase {
    std::string name;
    FrameBuilder frame;
    std::size_t first;
    bool firstOdd;
    std::size_t second;
    bool secondOdd;
    std::uint64_t fieldBytes = kField;
};

FrameBuilder Frame() {
    return FrameBuilder().Magic();
}

// The record after `records` records of `bytes` bytes each, behind the magic.
constexpr std::size_t After(std::size_t records, std::size_t bytes) {
    return 4 + records * (8 + bytes) + 8;
}

std::vector<FrameCase> FrameCases() {
    FrameBuilder sevenForeign = Frame();
    FrameBuilder eightForeign = Frame();
    for (int i = 0; i < 7; ++i) {
        sevenForeign.Record(1, 0);
        eightForeign.Record(1, 0);
    }
    eightForeign.Record(1, 0);
    std::vector<FrameCase> cases = {
        {"TwoFieldsInFrameOrder", Frame().Record(kOdd, kField).Record(0, kField), 12, true,
         After(1, kField), false},
        {"ThirdFieldIsNotTaken", Frame().Record(0, kField).Record(0, kField).Record(kOdd, kField),
         12, false, After(1, kField), false},
        {"ForeignRecordIsSteppedOver", Frame().Record(1, 10).Record(0, kField).Record(kOdd, kField),
         After(1, 10), false, After(1, 10) + 8 + kField, true},
        {"OneFieldIsTakenTwiceWithTheOtherParity", Frame().Record(0, kField), 12, false, 12, true},
        {"SecondRecordRunsPastTheEnd", Frame().Record(kOdd, kField).Record(0, kField, kField - 1),
         12, true, 12, false},
        {"ShortFieldIsSteppedOver", Frame().Record(0, kField - 1).Record(kOdd, kField),
         After(1, kField - 1), true, After(1, kField - 1), false},
        {"LongerFieldIsTaken", Frame().Record(0, kField + 5).Record(kOdd, kField), 12, false,
         After(1, kField + 5), true},
        {"FieldAfterSevenForeignRecords", sevenForeign.Record(kOdd, kField), After(7, 0), true,
         After(7, 0), false},
        {"HugeForeignSizeEndsTheWalk",
         Frame().Record(0, kField).Record(1, 0xFFFFFFF8, 0).Record(kOdd, kField), 12, false, 12,
         true},
        // The second header has nothing after it, so it is not read.
        {"EmptyPicture", Frame().Record(kOdd, 0).Record(0, 0), 12, true, 12, false, 0},
        {"LowerCaseMagic", FrameBuilder().Magic("qln1").Record(0, kField), 0, false, 0, false},
        {"OtherMagic", FrameBuilder().Magic("QLND").Record(0, kField), 0, false, 0, false},
        {"ThreeBytesOfMagic", FrameBuilder().Magic("QLN"), 0, false, 0, false},
        {"OnlyForeignRecords", Frame().Record(2, kField).Record(kOdd | 1, kField), 0, false, 0,
         false},
        {"OnlyShortFields", Frame().Record(0, kField - 1).Record(kOdd, 1), 0, false, 0, false},
        {"FirstRecordRunsPastTheEnd", Frame().Record(0, kField, kField - 1), 0, false, 0, false},
        {"LoneEmptyHeader", Frame().Record(0, 0), 0, false, 0, false, 0},
        {"FieldAfterEightForeignRecords", eightForeign.Record(0, kField), 0, false, 0, false},
    };
    // A few bytes after the last record are never taken for a header.
    for (std::size_t tail = 1; tail < 8; ++tail) {
        cases.push_back({"OneFieldAndATailOf" + std::to_string(tail),
                         Frame().Record(kOdd, kField).Tail(tail), 12, true, 12, false});
        cases.push_back({"TwoFieldsAndATailOf" + std::to_string(tail),
                         Frame().Record(0, kField).Record(kOdd, kField).Tail(tail), 12, false,
                         After(1, kField), true});
    }
    return cases;
}

TEST(FrameReaderTest, TakesTheFirstTwoFieldsWithoutReadingPastTheFrame) {
    for (const FrameCase& c : FrameCases()) {
        const std::vector<BYTE>& bytes = c.frame.Frame();
        GuardedPages memory(bytes.size());
        std::memcpy(memory.data(), bytes.data(), bytes.size());
        const auto size = static_cast<DWORD>(bytes.size());
        FieldPair fields{};
        const bool found = HasQlnuMagic(memory.data(), size) &&
                           FindFields(memory.data(), size, c.fieldBytes, &fields);
        ASSERT_EQ(found, c.first != 0) << c.name;
        if (found) {
            auto offset = [&memory](const FieldRecord& field) {
                return static_cast<std::size_t>(field.Pixels - memory.data());
            };
            EXPECT_EQ(offset(fields.First), c.first) << c.name;
            EXPECT_EQ(fields.First.IsOdd(), c.firstOdd) << c.name;
            EXPECT_EQ(offset(fields.Second), c.second) << c.name;
            EXPECT_EQ(fields.Second.IsOdd(), c.secondOdd) << c.name;
        }
    }
}

}  // namespace
