// ICM_COMPRESS_BEGIN, ICM_COMPRESS and ICM_COMPRESS_END on an instance. On the
// configuration-only open, which has no instance, each answers ICERR_UNSUPPORTED.
#pragma once

#include "platform/win_api.h"

class CodecInstance;

// Checks the formats (a refusal keeps the running session) and replaces the session.
LRESULT CompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* input,
                      const BITMAPINFOHEADER* output);
// Writes one frame. ICERR_ERROR without a session; otherwise ICERR_OK whatever happened in
// the frame, a refused frame included.
LRESULT Compress(CodecInstance* instance, ICCOMPRESS* request);
LRESULT CompressEnd(CodecInstance* instance);
