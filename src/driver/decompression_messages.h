// ICM_DECOMPRESS_BEGIN, ICM_DECOMPRESS and ICM_DECOMPRESS_END on an instance. On the
// configuration-only open, which has no instance, each answers ICERR_UNSUPPORTED.
#pragma once

#include "platform/win_api.h"

class CodecInstance;

// Checks the formats, fills in a missing output biSizeImage (a refusal keeps the running
// session) and replaces the session.
LRESULT DecompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* input,
                        BITMAPINFOHEADER* output);
// Decodes one frame. ICERR_ERROR without a session; otherwise ICERR_OK whatever happened in
// the frame, a refused frame included.
LRESULT Decompress(CodecInstance* instance, ICDECOMPRESS* request);
LRESULT DecompressEnd(CodecInstance* instance);
