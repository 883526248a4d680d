#include "FindPath.h"

#include "ScanFeatures.h"
#include "ScanKernels.h"

#include <QtGlobal>
#include <algorithm>

namespace {

std::optional<FindPath> forcedPath;

std::vector<FindPath> detectPaths()
{
    std::vector<FindPath> paths{FindPath::Plain, FindPath::Memchr};
#if defined(__x86_64__) || defined(__i386__)
    // The scan's own lists: both compile their vector paths for them.
    if (processorHas(HEXMOTH_AVX2_FEATURES))
        paths.push_back(FindPath::Avx2);
    if (processorHas(HEXMOTH_AVX512_FEATURES))
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
