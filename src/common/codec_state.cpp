#include "common/codec_state.h"

CodecState DefaultCodecState = kFactoryCodecState;
