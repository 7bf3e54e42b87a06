// Clearing the MMX register state, so that floating-point code after a kernel works.
#pragma once

// Executes EMMS. Only called where an MMX-capable kernel has run.
void EmptyMmxState();
