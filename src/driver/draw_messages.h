// The draw messages: they hand the fields of frames, undecoded, to the video board through the
// instance's renderer. They work only while the board answered its version test at DRV_LOAD.
#pragma once

#include "platform/win_api.h"

class CodecInstance;

// ICM_DRAW_QUERY: 0 for a format the board can show, -2 otherwise, -1 without a board.
LRESULT DrawQuery(const BITMAPINFOHEADER* format);
// ICM_GETBUFFERSWANTED: the driver wants no buffers of its own.
LRESULT GetBuffersWanted(DWORD* count);
// ICM_DRAW_BEGIN: makes the instance's renderer and begins it. -1 without a board or when the
// host asks to draw into a window, -2 for a format the board cannot show, -4 when the renderer
// cannot be made or begun.
LRESULT DrawBegin(CodecInstance* instance, ICDRAWBEGIN* request);
// ICM_DRAW: 0, 1 after an exception or for a record without frame data, -4 without renderer.
LRESULT Draw(CodecInstance* instance, const ICDRAW* request, DWORD size);
// ICM_DRAW_START, ICM_DRAW_STOP and ICM_DRAW_END answer 0 with or without a renderer.
LRESULT DrawStart(CodecInstance* instance);
LRESULT DrawStop(CodecInstance* instance);
LRESULT DrawEnd(CodecInstance* instance);
// These answer -4 without a renderer.
LRESULT DrawGetTime(CodecInstance* instance, LONG* time);
LRESULT DrawSetTime(CodecInstance* instance, LONG time);
LRESULT DrawFlush(CodecInstance* instance);
LRESULT DrawRenderBuffer(CodecInstance* instance);
