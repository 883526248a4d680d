#pragma once

// What each vector path needs of the processor, written once: the path's
// functions are compiled for these (its target attribute), and start-up
// runs it only where the processor has every one of them (ScanKernels).
// Names as target attributes spell them, comma-separated.
#define HEXMOTH_SSE2_FEATURES "sse2"
#define HEXMOTH_AVX2_FEATURES "avx2,bmi,bmi2,popcnt,lzcnt"
#define HEXMOTH_AVX512_FEATURES "avx512f,avx512bw,avx512vbmi,bmi,bmi2,popcnt,lzcnt"
