// The field order swap, used in place of a session's frame operation while the instance's
// ChangeFieldsOrder option is set. Compression shifts the picture up by one line (the top line
// goes to the bottom) before encoding; decompression shifts the decoded picture down by one
// line (the bottom line goes to the top). Moving every line by one exchanges the lines of the
// two fields, which reverses their temporal order; the two shifts undo each other.
#pragma once

#include "codec/compressor.h"
#include "codec/decompressor.h"

// Answer CompressFrame's status, or ICERR_MEMORY when no scratch block can be had (then
// nothing is written).
LONG CompressSwapped(Compressor& session, ICCOMPRESS* request);

// Answer DecompressFrame's status, or ICERR_MEMORY. The scratch is copied to the host's buffer
// whatever DecompressFrame answered: a skipped or refused frame leaves the scratch as the
// previous frame left it.
LONG DecompressSwapped(Decompressor& session, ICDECOMPRESS* request);
