// The open-file dialog with which both list dialogs pick a program: one file that exists, no
// initial folder, the first filter chosen.
#pragma once

#include "platform/win_api.h"

struct ProgramFileQuestion {
    LPCSTR title;
    LPCSTR filter;            // pairs of description and pattern, each ending in a zero
    LPCSTR initialName;       // what the file name field starts with
    LPCSTR defaultExtension;  // or null
    DWORD fileTitleSize;      // the bytes the chosen file's name may take, at most MAX_PATH
};

// True once the user chose a file; `fileTitle` then holds its name without its folder.
bool AskForProgramFile(HWND owner, const ProgramFileQuestion& question,
                       char (&fileTitle)[MAX_PATH]);
