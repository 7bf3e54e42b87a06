// DriverProc: one case per message, each naming the handler of that message. The driver id is
// the address of the open's CodecInstance, or kConfigurationOnlyDriverId for an open without
// parameters; on that open the session messages answer ICERR_UNSUPPORTED and the state messages
// answer 0.
#include "driver/driver_proc.h"

#include "board/board_library.h"
#include "driver/codec_info.h"
#include "driver/codec_instance.h"
#include "driver/compression_messages.h"
#include "driver/decompression_messages.h"
#include "driver/draw_messages.h"
#include "driver/formats/compression_formats.h"
#include "driver/formats/decompression_formats.h"
#include "driver/process.h"
#include "settings/dialogs.h"

namespace {

// The manager should have attached the process first; if it did not, find the module now so
// that resources still load.
void EnsureModuleHandle(HDRVR hDriver) {
    if (ghModule == nullptr) {
        OutputDebugStringA("!!!!!!!!!!!!!!!!!!!!! ghModule = NULL !!!!!!!!!!!!!!!!!!!");
        ghModule = GetDriverModuleHandle(hDriver);
    }
}

CodecInstance* InstanceFromDriverId(DWORD_PTR driverId) {
    return driverId == kConfigurationOnlyDriverId ? nullptr
                                                  : reinterpret_cast<CodecInstance*>(driverId);
}

// DRV_OPEN: the open parameters are only tested for presence.
LRESULT OpenInstance(LPARAM openParameters) {
    if (openParameters == 0) {
        return static_cast<LRESULT>(kConfigurationOnlyDriverId);
    }
    return reinterpret_cast<LRESULT>(new CodecInstance);
}

LRESULT CloseInstance(CodecInstance* instance) {
    delete instance;
    return 1;
}

BITMAPINFOHEADER* FormatOf(LPARAM parameter) {
    return reinterpret_cast<BITMAPINFOHEADER*>(parameter);
}

// ICM_CONFIGURE and ICM_ABOUT ask with -1 whether the dialog exists.
bool IsDialogQuery(LPARAM parentWindow) {
    return static_cast<LONG>(parentWindow) < 0;
}

// The configuration-only open edits the driver-wide options that new instances start from.
LRESULT Configure(CodecInstance* instance, LPARAM parentWindow) {
    return ShowConfigureDialog(ghModule, reinterpret_cast<HWND>(parentWindow),
                               instance ? instance->State : DefaultCodecState);
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR dwDriverId, HDRVR hDriver, UINT uMsg, LPARAM lParam1,
                                     LPARAM lParam2) {
    EnsureModuleHandle(hDriver);
    CodecInstance* instance = InstanceFromDriverId(dwDriverId);
    const auto size = static_cast<DWORD>(lParam2);

    switch (uMsg) {
        case DRV_LOAD:
            TestBoard();
            return 1;
        case DRV_ENABLE:
        case DRV_DISABLE:
        case DRV_QUERYCONFIGURE:
        case DRV_INSTALL:
        case DRV_REMOVE:
            return 1;
        case DRV_OPEN:
            return OpenInstance(lParam2);
        case DRV_CLOSE:
            return CloseInstance(instance);
        case DRV_FREE:
            BoardUsable = 0;
            return 1;
        case DRV_CONFIGURE:
            return Configure(instance, lParam1);

        case ICM_COMPRESS_QUERY:
            return CompressQuery(FormatOf(lParam1), FormatOf(lParam2));
        case ICM_COMPRESS_GET_FORMAT:
            return CompressGetFormat(FormatOf(lParam1), FormatOf(lParam2));
        case ICM_COMPRESS_GET_SIZE:
            return CompressGetSize(FormatOf(lParam1));
        case ICM_DECOMPRESS_QUERY:
            return DecompressQuery(FormatOf(lParam1), FormatOf(lParam2));
        case ICM_DECOMPRESS_GET_FORMAT:
            return DecompressGetFormat(FormatOf(lParam1), FormatOf(lParam2));

        case ICM_COMPRESS_BEGIN:
            return CompressBegin(instance, FormatOf(lParam1), FormatOf(lParam2));
        case ICM_COMPRESS:
            return Compress(instance, reinterpret_cast<ICCOMPRESS*>(lParam1));
        case ICM_COMPRESS_END:
            return CompressEnd(instance);
        case ICM_DECOMPRESS_BEGIN:
            return DecompressBegin(instance, FormatOf(lParam1), FormatOf(lParam2));
        case ICM_DECOMPRESS:
            return Decompress(instance, reinterpret_cast<ICDECOMPRESS*>(lParam1));
        case ICM_DECOMPRESS_END:
            return DecompressEnd(instance);

        case ICM_DRAW_QUERY:
            return DrawQuery(FormatOf(lParam1));
        case ICM_GETBUFFERSWANTED:
            return GetBuffersWanted(reinterpret_cast<DWORD*>(lParam1));
        case ICM_DRAW_BEGIN:
            return DrawBegin(instance, reinterpret_cast<ICDRAWBEGIN*>(lParam1));
        case ICM_DRAW:
            return Draw(instance, reinterpret_cast<const ICDRAW*>(lParam1), size);
        case ICM_DRAW_START:
            return DrawStart(instance);
        case ICM_DRAW_STOP:
            return DrawStop(instance);
        case ICM_DRAW_END:
            return DrawEnd(instance);
        case ICM_DRAW_GETTIME:
            return DrawGetTime(instance, reinterpret_cast<LONG*>(lParam1));
        case ICM_DRAW_SETTIME:
            return DrawSetTime(instance, static_cast<LONG>(lParam1));
        case ICM_DRAW_FLUSH:
            return DrawFlush(instance);
        case ICM_DRAW_RENDERBUFFER:
            return DrawRenderBuffer(instance);
        case ICM_DRAW_GET_PALETTE:
            return ICERR_UNSUPPORTED;
        case ICM_DRAW_WINDOW:
        case ICM_DRAW_REALIZE:
            return 0;

        case ICM_GETSTATE:
            return instance ? instance->GetState(reinterpret_cast<void*>(lParam1), size) : 0;
        case ICM_SETSTATE:
            return instance ? instance->SetState(reinterpret_cast<const void*>(lParam1), size) : 0;
        case ICM_GETINFO:
            return GetCodecInfo(reinterpret_cast<ICINFO*>(lParam1), size);
        case ICM_CONFIGURE:
            return IsDialogQuery(lParam1) ? ICERR_OK : Configure(instance, lParam1);
        case ICM_ABOUT:
            return IsDialogQuery(lParam1)
                       ? ICERR_OK
                       : ShowAboutDialog(ghModule, reinterpret_cast<HWND>(lParam1));

        default:
            if (uMsg < DRV_USER) {
                return DefDriverProc(dwDriverId, hDriver, uMsg, lParam1, lParam2);
            }
            return ICERR_UNSUPPORTED;
    }
}
