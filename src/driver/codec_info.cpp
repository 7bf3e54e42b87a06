#include "driver/codec_info.h"

#include "board/board_library.h"
#include "common/fourcc.h"
#include "driver/process.h"
#include "settings/resource_strings.h"

namespace {

constexpr DWORD kDriverVersion = 0x104;

// Copies a string resource into a wide field of the record; a missing string leaves the field
// as the host passed it.
void LoadWideString(UINT id, WCHAR* field, int fieldChars) {
    char text[128];
    if (LoadStringA(ghModule, id, text, sizeof text) > 0) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, field, fieldChars);
    }
}

}  // namespace

LRESULT GetCodecInfo(ICINFO* info, DWORD size) {
    if (info == nullptr) {
        return sizeof(ICINFO);
    }
    if (size < sizeof(ICINFO)) {
        return 0;
    }
    // dwVersionICM and szDriver belong to the manager and stay as passed.
    info->dwSize = sizeof(ICINFO);
    info->fccType = kFourCCVideo;
    info->fccHandler = kFourCCQlnu;
    info->dwFlags = BoardUsable ? VIDCF_DRAW : 0;
    info->dwVersion = kDriverVersion;
    LoadWideString(IDS_QLNU_DESCRIPTION, info->szDescription, 128);
    LoadWideString(IDS_QLNU_NAME, info->szName, 16);
    return sizeof(ICINFO);
}
