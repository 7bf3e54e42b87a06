// The frame layout and the reader's record walk, at byte level.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "codec/qlnu_frame.h"
#include "frame_builder.h"

namespace {

constexpr DWORD kFieldBytes = 64;  // a 16 × 4 picture

TEST(FrameLayoutTest, StandardDefinitionOffsets) {
    const FrameLayout layout(720, 576);
    EXPECT_EQ(layout.FieldBytes, 414720u);
    EXPECT_EQ(layout.FirstHeader(), 4u);
    EXPECT_EQ(layout.FirstPixels(), 12u);
    EXPECT_EQ(layout.SecondHeader(), 414732u);
    EXPECT_EQ(layout.SecondPixels(), 414740u);
    EXPECT_EQ(layout.FrameBytes(), 829460u);
}

TEST(FrameLayoutTest, EmptyPictureIsMagicAndTwoHeaders) {
    EXPECT_EQ(FrameLayout(0, 576).FrameBytes(), 20u);
    EXPECT_EQ(FrameLayout(720, 0).FrameBytes(), 20u);
}

TEST(FrameLayoutTest, HeaderIsLittleEndianFlagsThenSize) {
    BYTE bytes[8];
    WriteFieldHeader(bytes, kOddField, 414720);
    const BYTE expected[8] = {0, 0, 0, 0x80, 0x00, 0x54, 0x06, 0x00};
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
}

TEST(FrameMagicTest, ComparedByteForByte) {
    const BYTE good[] = {'Q', 'L', 'N', '1'};
    const BYTE lower[] = {'q', 'l', 'n', '1'};
    const BYTE other[] = {'Q', 'L', 'N', 'D'};
    EXPECT_TRUE(HasQlnuMagic(good, 4));
    EXPECT_FALSE(HasQlnuMagic(lower, 4));
    EXPECT_FALSE(HasQlnuMagic(other, 4));
    EXPECT_FALSE(HasQlnuMagic(good, 3));  // the magic must lie inside the frame
}

TEST(FindFieldsTest, TwoFieldsInOrderOfTheFrame) {
    FrameBuilder frame;
    frame.Magic().Record(kOddField, kFieldBytes, 0xA1).Record(0, kFieldBytes, 0xB2);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_EQ(fields.First.Flags, kOddField);
    EXPECT_EQ(frame.Offset(fields.First.Pixels), 12u);
    EXPECT_EQ(fields.Second.Flags, 0u);
    EXPECT_EQ(frame.Offset(fields.Second.Pixels), 12u + kFieldBytes + 8u);
}

TEST(FindFieldsTest, ForeignRecordIsSteppedOver) {
    FrameBuilder frame;
    frame.Magic()
        .Record(0x00000001, 10, 0xEE)
        .Record(0, kFieldBytes, 0xA1)
        .Record(kOddField, kFieldBytes, 0xB2);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_EQ(frame.Offset(fields.First.Pixels), 4u + 8u + 10u + 8u);
    EXPECT_EQ(fields.First.Flags, 0u);
    EXPECT_EQ(fields.Second.Flags, kOddField);
}

TEST(FindFieldsTest, OneFieldIsUsedTwiceWithTheOtherParity) {
    FrameBuilder frame;
    frame.Magic().Record(0, kFieldBytes, 0xA1);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_FALSE(fields.First.IsOdd());
    EXPECT_TRUE(fields.Second.IsOdd());
    EXPECT_EQ(fields.First.Pixels, fields.Second.Pixels);
}

TEST(FindFieldsTest, SecondRecordRunningPastTheEndLeavesOneField) {
    FrameBuilder frame;
    frame.Magic()
        .Record(kOddField, kFieldBytes, 0xA1)
        .Record(0, kFieldBytes, kFieldBytes - 1, 0xB2);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_TRUE(fields.First.IsOdd());
    EXPECT_FALSE(fields.Second.IsOdd());
    EXPECT_EQ(fields.First.Pixels, fields.Second.Pixels);
}

TEST(FindFieldsTest, ShortFieldRecordIsSteppedOverLikeAForeignOne) {
    FrameBuilder frame;
    frame.Magic().Record(0, kFieldBytes - 1, 0xA1).Record(kOddField, kFieldBytes, 0xB2);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_EQ(frame.Offset(fields.First.Pixels), 4u + 8u + (kFieldBytes - 1) + 8u);
    EXPECT_TRUE(fields.First.IsOdd());
    EXPECT_EQ(fields.First.Pixels, fields.Second.Pixels);
}

TEST(FindFieldsTest, LongerFieldRecordIsTaken) {
    FrameBuilder frame;
    frame.Magic().Record(0, kFieldBytes + 5, 0xA1).Record(kOddField, kFieldBytes, 0xB2);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_EQ(frame.Offset(fields.Second.Pixels), 4u + 8u + kFieldBytes + 5u + 8u);
}

struct RefusedFrame {
    const char* name;
    FrameBuilder frame;
};

std::vector<RefusedFrame> RefusedFrames() {
    std::vector<RefusedFrame> frames(5);
    frames[0].name = "OnlyForeignRecords";
    frames[0].frame.Magic().Record(2, kFieldBytes, 0).Record(kOddField | 1, kFieldBytes, 0);
    frames[1].name = "OnlyShortFieldRecords";
    frames[1].frame.Magic().Record(0, kFieldBytes - 1, 0).Record(kOddField, 1, 0);
    frames[2].name = "FirstRecordRunsPastTheEnd";
    frames[2].frame.Magic().Record(0, kFieldBytes, kFieldBytes - 1, 0);
    frames[3].name = "HeaderWithNothingAfterIt";
    frames[3].frame.Magic().Record(0, 0, 0);
    frames[4].name = "FieldAfterEightForeignRecords";
    frames[4].frame.Magic();
    for (int i = 0; i < 8; ++i) {
        frames[4].frame.Record(1, 0, 0);
    }
    frames[4].frame.Record(0, kFieldBytes, 0);
    return frames;
}

TEST(FindFieldsTest, FramesWithoutAUsableFieldAreRefused) {
    for (const RefusedFrame& refused : RefusedFrames()) {
        FieldPair fields;
        EXPECT_FALSE(FindFields(refused.frame.Data(), refused.frame.Size(), kFieldBytes, &fields))
            << refused.name;
    }
}

TEST(FindFieldsTest, FieldAfterSevenForeignRecordsIsFound) {
    FrameBuilder frame;
    frame.Magic();
    for (int i = 0; i < 7; ++i) {
        frame.Record(1, 0, 0);
    }
    frame.Record(kOddField, kFieldBytes, 0xA1);
    FieldPair fields;
    EXPECT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
}

TEST(FindFieldsTest, HugeForeignSizeEndsTheWalkWithoutWrapping) {
    FrameBuilder frame;
    frame.Magic()
        .Record(0, kFieldBytes, 0xA1)
        .Record(1, 0xFFFFFFF8, 0, 0)
        .Record(kOddField, kFieldBytes, 0xB2);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), kFieldBytes, &fields));
    EXPECT_EQ(fields.First.Pixels, fields.Second.Pixels);
}

TEST(FindFieldsTest, EmptyPictureFrameGivesOneEmptyFieldTwice) {
    FrameBuilder frame;
    frame.Magic().Record(kOddField, 0, 0).Record(0, 0, 0);
    ASSERT_EQ(frame.Size(), 20u);
    FieldPair fields;
    ASSERT_TRUE(FindFields(frame.Data(), frame.Size(), 0, &fields));
    EXPECT_TRUE(fields.First.IsOdd());
    EXPECT_FALSE(fields.Second.IsOdd());
}

}  // namespace
