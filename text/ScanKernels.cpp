#include "ScanKernels.h"

#include "ScanFeatures.h"
#include "ScanKernel.h"

#include <array>
#include <string_view>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

// Each path's kernel, made in its own file.
namespace ScanPlain { std::unique_ptr<ScanKernel> makeKernel(); }
#if defined(__x86_64__) || defined(__i386__)
namespace ScanSse2 { std::unique_ptr<ScanKernel> makeKernel(); }
namespace ScanAvx2 { std::unique_ptr<ScanKernel> makeKernel(); }
namespace ScanAvx512 { std::unique_ptr<ScanKernel> makeKernel(); }
#endif

namespace {

constexpr ScanKernelRow Kernels[] = {
    {ScanEncoding::Cp932, ScanPath::Plain, "plain", "", ScanPlain::makeKernel},
#if defined(__x86_64__) || defined(__i386__)
    {ScanEncoding::Cp932, ScanPath::Sse2, "sse2", HEXMOTH_SSE2_FEATURES, ScanSse2::makeKernel},
    {ScanEncoding::Cp932, ScanPath::Avx2, "avx2", HEXMOTH_AVX2_FEATURES, ScanAvx2::makeKernel},
    {ScanEncoding::Cp932, ScanPath::Avx512, "avx512", HEXMOTH_AVX512_FEATURES, ScanAvx512::makeKernel},
#endif
};

#if defined(__x86_64__) || defined(__i386__)
// lzcnt has no name of its own for __builtin_cpu_supports in every
// compiler: it is read from cpuid.
bool hasLzcnt()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(0x80000001, &a, &b, &c, &d) && (c & bit_LZCNT) != 0;
}

struct Feature
{
    std::string_view name;
    bool (*present)();
};

#define HEXMOTH_FEATURE(name) {name, [] { return bool(__builtin_cpu_supports(name)); }}
const std::array<Feature, 9> Features = {{
    HEXMOTH_FEATURE("sse2"), HEXMOTH_FEATURE("avx2"), HEXMOTH_FEATURE("bmi"), HEXMOTH_FEATURE("bmi2"), HEXMOTH_FEATURE("popcnt"),
    HEXMOTH_FEATURE("avx512f"), HEXMOTH_FEATURE("avx512bw"), HEXMOTH_FEATURE("avx512vbmi"), {"lzcnt", hasLzcnt},
}};
#undef HEXMOTH_FEATURE

const Feature *featureNamed(std::string_view name)
{
    for (const Feature &f : Features)
        if (f.name == name)
            return &f;
    return nullptr;
}

bool processorHasOne(std::string_view name)
{
    __builtin_cpu_init();
    const Feature *f = featureNamed(name);
    return f && f->present();
}
#else
const void *featureNamed(std::string_view) { return nullptr; }
bool processorHasOne(std::string_view) { return false; }
#endif

} // namespace

std::span<const ScanKernelRow> scanKernels()
{
    return Kernels;
}

const ScanKernelRow *scanKernel(ScanEncoding encoding, ScanPath path)
{
    for (const ScanKernelRow &row : Kernels)
        if (row.encoding == encoding && row.path == path)
            return &row;
    return nullptr;
}

bool processorHas(const char *features)
{
    std::string_view rest(features);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        if (!processorHasOne(rest.substr(0, comma)))
            return false;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return true;
}

bool isKnownProcessorFeature(const char *name)
{
    return featureNamed(name) != nullptr;
}
