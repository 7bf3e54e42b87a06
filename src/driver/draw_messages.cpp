#include "driver/draw_messages.h"

#include "board/board_library.h"
#include "board/board_renderer.h"
#include "codec/fast_copy.h"
#include "common/fourcc.h"
#include "driver/codec_instance.h"
#include "driver/formats/format_checks.h"
#include "driver/session_lifetime.h"
#include "platform/fault_guard.h"
#include "settings/settings_store.h"

namespace {

bool IsDrawableFormat(const BITMAPINFOHEADER* format) {
    return format != nullptr && IsQlnuHandler(format->biCompression) && format->biBitCount == 24 &&
           HasCodecGeometry(*format);
}

Renderer* ActiveRendererOf(CodecInstance* instance) {
    return instance != nullptr ? instance->ActiveRenderer : nullptr;
}

// Programs on the full-screen list that ask to draw into a window are given the full screen.
void ApplyFullScreenRule(ICDRAWBEGIN& request, bool fullScreenApp) {
    if (fullScreenApp && (request.dwFlags & ICDRAW_HDC) != 0) {
        request.dwFlags = (request.dwFlags & ~ICDRAW_HDC) | ICDRAW_FULLSCREEN;
    }
}

template <typename Operation>
LRESULT WithRenderer(CodecInstance* instance, Operation operation) {
    Renderer* renderer = ActiveRendererOf(instance);
    return renderer != nullptr ? operation(*renderer) : ICERR_INTERNAL;
}

}  // namespace

LRESULT DrawQuery(const BITMAPINFOHEADER* format) {
    if (BoardUsable == 0) {
        return ICERR_UNSUPPORTED;
    }
    return IsDrawableFormat(format) ? ICERR_OK : ICERR_BADFORMAT;
}

LRESULT GetBuffersWanted(DWORD* count) {
    if (BoardUsable == 0) {
        return ICERR_UNSUPPORTED;
    }
    if (count != nullptr) {
        *count = 0;
    }
    return ICERR_OK;
}

LRESULT DrawBegin(CodecInstance* instance, ICDRAWBEGIN* request) {
    if (BoardUsable == 0 || instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    if (request == nullptr) {
        return ICERR_BADFORMAT;
    }
    const bool fullScreenApp = IsFullScreenApp();
    ApplyFullScreenRule(*request, fullScreenApp);
    if ((request->dwFlags & ICDRAW_HDC) != 0) {
        return ICERR_UNSUPPORTED;  // the board shows pictures on its own output only
    }
    if (!IsDrawableFormat(request->lpbi)) {
        return ICERR_BADFORMAT;
    }
    DestroyOwned(instance->ActiveRenderer);
    auto* renderer = new BoardRenderer(request->lpbi->biWidth, request->lpbi->biHeight,
                                       request->dwScale, request->dwRate, fullScreenApp, FastCopy);
    if (renderer == nullptr) {
        return ICERR_INTERNAL;
    }
    if (!renderer->Begin()) {
        delete renderer;
        return ICERR_INTERNAL;
    }
    instance->ActiveRenderer = renderer;
    return ICERR_OK;
}

LRESULT Draw(CodecInstance* instance, const ICDRAW* request, DWORD size) {
    return WithRenderer(instance, [&](Renderer& renderer) -> LRESULT {
        LONG drawn = Renderer::kFailedDraw;
        const bool completed =
            request != nullptr && RunGuarded([&] { drawn = renderer.Draw(request, size); });
        if (!completed || drawn == Renderer::kFailedDraw) {
            OutputDebugStringA("QLND draw: exception raised while during drawing\n");
            return 1;
        }
        return ICERR_OK;
    });
}

LRESULT DrawStart(CodecInstance* instance) {
    WithRenderer(instance, [](Renderer& renderer) -> LRESULT {
        renderer.Start();
        return ICERR_OK;
    });
    return ICERR_OK;
}

LRESULT DrawStop(CodecInstance* instance) {
    WithRenderer(instance, [](Renderer& renderer) -> LRESULT {
        renderer.Stop();
        return ICERR_OK;
    });
    return ICERR_OK;
}

LRESULT DrawEnd(CodecInstance* instance) {
    if (instance != nullptr) {
        DestroyOwned(instance->ActiveRenderer);
    }
    return ICERR_OK;
}

LRESULT DrawGetTime(CodecInstance* instance, LONG* time) {
    return WithRenderer(instance, [time](Renderer& renderer) { return renderer.GetTime(time); });
}

LRESULT DrawSetTime(CodecInstance* instance, LONG time) {
    return WithRenderer(instance, [time](Renderer& renderer) { return renderer.SetTime(time); });
}

LRESULT DrawFlush(CodecInstance* instance) {
    return WithRenderer(instance, [](Renderer& renderer) { return renderer.Flush(); });
}

LRESULT DrawRenderBuffer(CodecInstance* instance) {
    return WithRenderer(instance, [](Renderer& renderer) { return renderer.RenderBuffer(); });
}
