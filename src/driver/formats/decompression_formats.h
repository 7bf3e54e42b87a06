// Format negotiation on the decompression side: which QLNU formats the codec decompresses and
// the pictures it makes of them. None of these needs an instance. Every refusal is
// ICERR_BADFORMAT.
#pragma once

#include "platform/win_api.h"

// ICM_DECOMPRESS_QUERY: the QLNU input alone (its bit count is not looked at), or with an
// output of the same dimensions that the decompressor produces. A program on the YUV-restricted
// list is offered RGB output only.
LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
// ICM_DECOMPRESS_GET_FORMAT: without an output, the bytes the proposal needs; with one, the
// input's format as RGB at the input's bit count, with the picture size as biSizeImage.
LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
// The checks of ICM_DECOMPRESS_BEGIN: those of the query, an output required; an output
// biSizeImage of 0 is then filled in with the picture size.
LRESULT CheckDecompressBegin(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out);
// The format checks of the query for one ICM_DECOMPRESS, an output required. The program's
// name was tested at the begin and cannot change, so the restricted list is not read again.
bool IsDecodableFrame(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);
