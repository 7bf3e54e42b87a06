// Draws a short compressed clip through msvfw32's draw interface, with the board simulator
// beside the program where the driver finds it: every field reaches the board byte for byte and
// the board shows the pictures that were compressed. Run under the name PREMIERE.EXE, which the
// driver lists as a full-screen program, a request to draw into a window is turned into
// full-screen drawing; under any other name it is refused. A second instance's begin takes the
// board from the first, whose later frames must not crash.
#include <algorithm>
#include <cctype>
#include <vector>

#include "board_simulator_client.h"
#include "host_test.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 64, kHeight = 48;
constexpr int kFrames = 3;
constexpr DWORD kUyvy = mmioFOURCC('U', 'Y', 'V', 'Y');

bool RunsAsListedProgram() {
    std::string name = host_test::ProgramPath();
    name = name.substr(name.find_last_of("\\/") + 1);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name == "PREMIERE.EXE";
}

// Top-down UYVY pictures, each line and frame different.
std::vector<BYTE> Picture(int frame) {
    std::vector<BYTE> picture(kWidth * kHeight * 2);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const std::size_t line = i / (kWidth * 2);
        picture[i] = static_cast<BYTE>(i % 2 ? 16 + line * 4 + frame * 7 : 40 + i % 97);
    }
    return picture;
}

std::vector<std::vector<BYTE>> CompressedClip() {
    std::vector<std::vector<BYTE>> clip;
    HIC compressor = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    BITMAPINFOHEADER in = MakeFormat(kUyvy, 16, kWidth, kHeight);
    in.biSizeImage = kWidth * kHeight * 2;
    BITMAPINFOHEADER out = MakeFormat(kQlnu, 24, kWidth, kHeight);
    CHECK_EQ(ICCompressBegin(compressor, &in, &out), ICERR_OK);
    for (int frame = 0; frame < kFrames; ++frame) {
        std::vector<BYTE> picture = Picture(frame), coded(2 * kWidth * kHeight + 20);
        DWORD chunk = 0, flags = 0;
        CHECK_EQ(ICCompress(compressor, ICCOMPRESS_KEYFRAME, &out, coded.data(), &in,
                            picture.data(), &chunk, &flags, frame, 0, 0, nullptr, nullptr),
                 ICERR_OK);
        clip.push_back(coded);
    }
    ICCompressEnd(compressor);
    ICClose(compressor);
    return clip;
}

// ICDrawBegin answers a DWORD; the driver's answers are signed.
LONG Begin(HIC codec, DWORD flags, BITMAPINFOHEADER& format) {
    return static_cast<LONG>(ICDrawBegin(codec, flags, nullptr, nullptr, nullptr, 0, 0, kWidth,
                                         kHeight, &format, 0, 0, kWidth, kHeight, 25, 1));
}

void CheckWindowRequest(HIC codec, BoardSimulator& board, BITMAPINFOHEADER& format) {
    const bool listed = RunsAsListedProgram();
    CHECK_EQ(Begin(codec, ICDRAW_HDC, format), listed ? ICERR_OK : ICERR_UNSUPPORTED);
    CHECK_EQ(Begin(codec, ICDRAW_FULLSCREEN, format), ICERR_OK);
    // Listed programs give the board the larger timing value first.
    const BoardState state = board.State();
    CHECK_EQ(state.timingB, listed ? 25u : 1u);
    CHECK_EQ(state.timingA, listed ? 1u : 25u);
}

void CheckClipReachesTheBoard(HIC codec, BoardSimulator& board, BITMAPINFOHEADER& format) {
    const std::vector<std::vector<BYTE>> clip = CompressedClip();
    board.Control(QlnsimCommand::Reset);
    CHECK_EQ(Begin(codec, ICDRAW_FULLSCREEN, format), ICERR_OK);
    CHECK_EQ(ICDrawStart(codec), ICERR_OK);
    for (int frame = 0; frame < kFrames; ++frame) {
        CHECK_EQ(ICDraw(codec, 0, &format, const_cast<BYTE*>(clip[frame].data()),
                        static_cast<DWORD>(clip[frame].size()), frame),
                 ICERR_OK);
    }
    CHECK_EQ(ICDrawStop(codec), ICERR_OK);
    const std::vector<ReceivedField> received = board.Received();
    CHECK_EQ(received.size(), 3u * kFrames);
    const std::size_t fieldBytes = kWidth * kHeight;
    for (std::size_t i = 0; i < received.size() && i < 3u * kFrames; ++i) {
        const std::vector<BYTE>& frame = clip[i / 3];
        const std::size_t at = i % 3 == 0 ? 12 : 20 + fieldBytes;
        CHECK(i % 3 == 2 ? received[i].kind == 4 && received[i].byteCount == 0
                         : received[i].byteCount == fieldBytes &&
                               std::equal(received[i].bytes, received[i].bytes + fieldBytes,
                                          frame.begin() + static_cast<std::ptrdiff_t>(at)));
    }
    CHECK_EQ(board.Control(QlnsimCommand::ShowFrames, kFrames), kFrames);
    for (int frame = 0; frame < kFrames; ++frame) {
        CHECK(board.ShownPicture(frame) == Picture(frame));
    }
    CHECK_EQ(ICDrawEnd(codec), ICERR_OK);
}

void CheckSecondInstanceTakesTheBoard(BoardSimulator& board, BITMAPINFOHEADER& format) {
    HIC first = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DRAW);
    HIC second = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DRAW);
    CHECK_EQ(Begin(first, ICDRAW_FULLSCREEN, format), ICERR_OK);
    const std::size_t callsBefore = board.CalledEntries().size();
    CHECK_EQ(Begin(second, ICDRAW_FULLSCREEN, format), ICERR_OK);
    CHECK(board.CalledEntries().at(callsBefore) == BoardEntry::vdc_unregister_all);
    std::vector<BYTE> frame = CompressedClip().front();
    CHECK_EQ(ICDraw(first, 0, &format, frame.data(), static_cast<DWORD>(frame.size()), 0),
             ICERR_OK);
    CHECK_EQ(ICDrawEnd(first), ICERR_OK);
    CHECK_EQ(ICDrawEnd(second), ICERR_OK);
    ICClose(first);
    ICClose(second);
}

}  // namespace

int main() {
    CHECK(host_test::InstallDriver());
    // The very library the driver binds: a loaded module answers a load by its name.
    BoardSimulator board((host_test::ProgramFolder() + "QLNINTER.DLL").c_str());
    CHECK(board.IsLoaded());
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DRAW);
    CHECK(codec != nullptr);
    if (codec != nullptr && board.IsLoaded()) {
        ICINFO info{};
        ICGetInfo(codec, &info, sizeof info);
        CHECK_EQ(info.dwFlags, static_cast<DWORD>(VIDCF_DRAW));
        BITMAPINFOHEADER format = MakeFormat(kQlnu, 24, kWidth, kHeight);
        CHECK_EQ(ICDrawQuery(codec, &format), ICERR_OK);
        CheckWindowRequest(codec, board, format);
        CheckClipReachesTheBoard(codec, board, format);
        ICClose(codec);
        CheckSecondInstanceTakesTheBoard(board, format);
    }
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
