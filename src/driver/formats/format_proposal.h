#pragma once

#include "platform/win_api.h"

// The first step of both get-format messages, for an input already accepted: without an output
// it answers the bytes a proposal takes; a format claiming fewer bytes than a header cannot hold
// a proposal and is refused; otherwise it copies the input (colour words and the height's sign
// included) into the output and answers ICERR_OK, for the caller to change what it proposes.
LRESULT StartProposal(const BITMAPINFOHEADER& in, BITMAPINFOHEADER* out);
