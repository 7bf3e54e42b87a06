#include <algorithm>
#include <cstdio>
#include <cstring>

#include "picture_layouts.h"
#include "png_file.h"
#include "shown_pictures.h"

namespace {

// Whole 16-pixel blocks of the output, as the reference conversion takes them.
LONG CanvasWidth(const SimulatedBoard& board) {
    return board.outputWidth & ~15L;
}

// The output in UYVY, black but for the picture at its place (clipped to the output).
Bytes OutputWithPicture(const SimulatedBoard& board, const ShownPicture& picture) {
    const BoardState state = board.State();
    const LONG outputWidth = CanvasWidth(board), outputHeight = board.outputHeight;
    Bytes output(static_cast<std::size_t>(outputWidth) * outputHeight * 2);
    for (std::size_t at = 0; at + 4 <= output.size(); at += 4) {
        const BYTE black[4] = {128, 16, 128, 16};
        std::memcpy(&output[at], black, 4);
    }
    const OutputArea area = board.PictureArea();
    const LONG left = std::max(0L, area.left & ~1L);
    const LONG width = std::min<LONG>(static_cast<LONG>(state.formatWidth), outputWidth - left);
    for (LONG line = 0; width > 0 && line < static_cast<LONG>(state.formatHeight); ++line) {
        const LONG y = area.top + line;
        if (y >= 0 && y < outputHeight) {
            std::memcpy(&output[(static_cast<std::size_t>(y) * outputWidth + left) * 2],
                        &picture.uyvy[static_cast<std::size_t>(line) * state.formatWidth * 2],
                        static_cast<std::size_t>(width) * 2);
        }
    }
    return output;
}

}  // namespace

DWORD WriteShownPictures(const SimulatedBoard& board, const std::string& folder) {
    DWORD written = 0;
    for (const ShownPicture& picture : board.Shown()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%04lu.png", static_cast<unsigned long>(written));
        const Bytes output = OutputWithPicture(board, picture);
        const int width = CanvasWidth(board);
        const Bytes bgr = ReferenceUyvyToRgb24(output, width, board.outputHeight);
        if (!WriteBottomUpBgrPng(folder + name, width, board.outputHeight, bgr)) {
            break;
        }
        ++written;
    }
    return written;
}
