#include "driver/codec_state.h"

CodecState DefaultCodecState = kFactoryCodecState;
