// Format negotiation on the compression side: which pictures the codec compresses and the QLNU
// format it makes of them. None of these needs an instance. Every refusal is ICERR_BADFORMAT.
#pragma once

#include "platform/win_api.h"

// ICM_COMPRESS_QUERY: the input alone, or the input with a QLNU output of 24 or 32 bits and
// the same dimensions.
LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
// ICM_COMPRESS_GET_FORMAT: without an output, the bytes the proposal needs; with one, the
// input's format turned into a 24-bit QLNU format with the frame size as biSizeImage.
LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
// ICM_COMPRESS_GET_SIZE: the frame size of the input's dimensions, whatever its pixel format.
LRESULT CompressGetSize(const BITMAPINFOHEADER* in);
// The checks of ICM_COMPRESS_BEGIN: those of the query; without an output the begin goes on.
LRESULT CheckCompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
