#pragma once

#include "ScanPath.h"

#include <memory>
#include <span>

class ScanKernel;

// The encodings a text's bytes can be scanned as.
enum class ScanEncoding { Cp932 };

// One kernel of the scan: an encoding through an instruction-set path.
struct ScanKernelRow
{
    ScanEncoding encoding;
    ScanPath path;
    const char *name;
    // What it needs of the processor (ScanFeatures.h); "" for none.
    const char *features;
    std::unique_ptr<ScanKernel> (*make)();
};

// Every kernel, each encoding's in priority order: the plain path first,
// the fastest last. A row runs where the processor has its features.
std::span<const ScanKernelRow> scanKernels();
// The row of `path` for `encoding`, or null.
const ScanKernelRow *scanKernel(ScanEncoding encoding, ScanPath path);
// Whether this processor has every feature of a comma-separated list, as
// target attributes name them; false for a name it does not know.
bool processorHas(const char *features);
// Whether processorHas knows the feature `name`.
bool isKnownProcessorFeature(const char *name);
