// Sessions with the field order swap on a two-processor machine, begun, run for one frame and
// ended with one allocation of the driver's heap, or one event or thread, refused at a time:
// each message gives its answer, nothing faults, and the end gives back every block and handle.
#include <string>

#include "debug_lines.h"
#include "frame_builder.h"
#include "session_test.h"

namespace {

constexpr LONG kSide = 16;

struct RefusalCase {
    const char* name;
    // The allocation refused, counted from the begin message (1: the session); 0 for none.
    SIZE_T refused;
    LRESULT beginAnswer;
    LRESULT frameAnswer;
    bool frameWritten;
    // The event or thread refused, counted from the begin message; 0 for none.
    SIZE_T refusedHandle = 0;
};

// A session allocates itself, its converter tables, its repacker and its worker's job at the
// begin, and its scratch block at the first frame; its worker makes a start event, a done event
// and a thread. Without a job or any of those it runs on one thread; without a scratch block
// the frame is not touched. Compression and decompression sessions refuse alike.
const RefusalCase kCases[] = {
    {"Session", 1, ICERR_BADFORMAT, ICERR_ERROR, false},
    {"Tables", 2, ICERR_ERROR, ICERR_ERROR, false},
    {"Repacker", 3, ICERR_ERROR, ICERR_ERROR, false},
    {"WorkerJob", 4, ICERR_OK, ICERR_OK, true},
    {"Scratch", 5, ICERR_OK, ICERR_OK, false},
    {"NothingRefused", 0, ICERR_OK, ICERR_OK, true},
    {"StartEvent", 0, ICERR_OK, ICERR_OK, true, 1},
    {"DoneEvent", 0, ICERR_OK, ICERR_OK, true, 2},
    {"Thread", 0, ICERR_OK, ICERR_OK, true, 3},
};

class OutOfMemoryTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        SetProcessorCountForTesting(2);
        SetChangeFieldsOrder(true);
    }
    void TearDown() override {
        PosixHeapRefuseAllocation(0);
        PosixRefuseHandle(0);
        SessionTest::TearDown();
    }

    // Begins the session and runs one frame; true when the frame was written.
    bool CompressOnce(const RefusalCase& c) {
        const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, kSide, kSide);
        EXPECT_EQ(CompressBegin(input), c.beginAnswer);
        const CompressCall call = CompressFrame(input, RandomUyvy(kSide, kSide, 51), kSide, kSide,
                                                2 * kSide * kSide + 20);
        EXPECT_EQ(call.answer, c.frameAnswer);
        EXPECT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
        return call.frame != Bytes(call.frame.size(), 0xEE);
    }

    bool DecompressOnce(const RefusalCase& c) {
        const Bytes field(kSide * kSide, 0x80);
        const Bytes frame = FrameBuilder().Magic().Field(kOddField, field).Field(0, field).Frame();
        const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kSide, kSide);
        EXPECT_EQ(DecompressBegin(output, kSide, kSide), c.beginAnswer);
        Bytes picture(2 * kSide * kSide, 0xCD);
        EXPECT_EQ(DecompressFrame(frame, static_cast<DWORD>(frame.size()), output, picture),
                  c.frameAnswer);
        EXPECT_EQ(Send(id_, ICM_DECOMPRESS_END), ICERR_OK);
        return picture != Bytes(picture.size(), 0xCD);
    }
};

TEST_F(OutOfMemoryTest, EachMessageAnswersAndTheEndGivesEverythingBack) {
    const SIZE_T blocks = PosixHeapLiveBlockCount(ghDriverHeap);
    const SIZE_T handles = PosixOpenHandleCount();
    for (bool compression : {true, false}) {
        for (const RefusalCase& c : kCases) {
            SCOPED_TRACE(std::string(compression ? "compression " : "decompression ") + c.name);
            DebugLines debug;
            PosixHeapRefuseAllocation(c.refused);
            PosixRefuseHandle(c.refusedHandle);
            EXPECT_EQ(compression ? CompressOnce(c) : DecompressOnce(c), c.frameWritten);
            EXPECT_FALSE(PosixHeapRefusalPending());
            EXPECT_FALSE(PosixHandleRefusalPending());
            EXPECT_TRUE(debug.Lines().empty());
            EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), blocks);
            EXPECT_EQ(PosixOpenHandleCount(), handles);
        }
    }
}

}  // namespace
