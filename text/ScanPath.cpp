#include "ScanPath.h"

#include <QtGlobal>
#include <algorithm>

namespace {

std::optional<ScanPath> forcedPath;

std::vector<ScanPath> detectPaths()
{
    std::vector<ScanPath> paths{ScanPath::Reference, ScanPath::Plain};
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("sse2"))
        paths.push_back(ScanPath::Sse2);
    const bool bitOps = __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    if (bitOps && __builtin_cpu_supports("avx2"))
        paths.push_back(ScanPath::Avx2);
    if (bitOps && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
        paths.push_back(ScanPath::Avx512);
#endif
    return paths;
}

} // namespace

const std::vector<ScanPath> &runnableScanPaths()
{
    static const std::vector<ScanPath> paths = detectPaths();
    return paths;
}

ScanPath activeScanPath()
{
    return forcedPath ? *forcedPath : runnableScanPaths().back();
}

void overrideScanPath(std::optional<ScanPath> path)
{
    Q_ASSERT(!path || std::find(runnableScanPaths().begin(), runnableScanPaths().end(), *path) != runnableScanPaths().end());
    forcedPath = path;
}

const char *scanPathName(ScanPath path)
{
    switch (path) {
    case ScanPath::Reference: return "reference";
    case ScanPath::Plain: return "plain";
    case ScanPath::Sse2: return "sse2";
    case ScanPath::Avx2: return "avx2";
    case ScanPath::Avx512: return "avx512";
    }
    return "?";
}
