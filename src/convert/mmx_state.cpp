#include "convert/mmx_state.h"

#include <mmintrin.h>

void EmptyMmxState() {
    _mm_empty();
}
