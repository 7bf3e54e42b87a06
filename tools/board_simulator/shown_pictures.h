// The pictures the simulated board showed, as PNG files a person can look at.
#pragma once

#include <string>

#include "simulated_board.h"

// Writes each shown picture, placed on the board's output as window 2 placed it, as
// `folder`/frame_NNNN.png; answers how many files were written.
DWORD WriteShownPictures(const SimulatedBoard& board, const std::string& folder);
