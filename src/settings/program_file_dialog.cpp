#include "settings/program_file_dialog.h"

#include <cstring>

bool AskForProgramFile(HWND owner, const ProgramFileQuestion& question,
                       char (&fileTitle)[MAX_PATH]) {
    char file[MAX_PATH] = "";
    std::strncpy(file, question.initialName, sizeof file - 1);
    fileTitle[0] = '\0';
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = question.filter;
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = sizeof file;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = question.fileTitleSize;
    request.lpstrTitle = question.title;
    request.lpstrDefExt = question.defaultExtension;
    request.Flags = OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&request) != FALSE;
}
