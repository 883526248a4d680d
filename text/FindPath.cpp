#include "FindPath.h"

#include <QtGlobal>
#include <algorithm>

namespace {

std::optional<FindPath> forcedPath;

std::vector<FindPath> detectPaths()
{
    std::vector<FindPath> paths{FindPath::Plain, FindPath::Memchr};
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    const bool bitOps = __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    if (bitOps && __builtin_cpu_supports("avx2"))
        paths.push_back(FindPath::Avx2);
    if (bitOps && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
        paths.push_back(FindPath::Avx512);
#endif
    return paths;
}

} // namespace

const std::vector<FindPath> &runnableFindPaths()
{
    static const std::vector<FindPath> paths = detectPaths();
    return paths;
}

FindPath activeFindPath()
{
    return forcedPath ? *forcedPath : runnableFindPaths().back();
}

void overrideFindPath(std::optional<FindPath> path)
{
    Q_ASSERT(!path || std::find(runnableFindPaths().begin(), runnableFindPaths().end(), *path) != runnableFindPaths().end());
    forcedPath = path;
}

const char *findPathName(FindPath path)
{
    switch (path) {
    case FindPath::Plain: return "plain";
    case FindPath::Memchr: return "memchr";
    case FindPath::Avx2: return "avx2";
    case FindPath::Avx512: return "avx512";
    }
    return "?";
}
