#include "ScanPath.h"

#include "ScanKernels.h"

#include <QtGlobal>
#include <algorithm>

namespace {

std::optional<ScanPath> forcedPath;

std::vector<ScanPath> detectPaths()
{
    std::vector<ScanPath> paths{ScanPath::Reference};
    for (const ScanKernelRow &row : scanKernels())
        if (row.encoding == ScanEncoding::Cp932 && processorHas(row.features))
            paths.push_back(row.path);
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
    if (path == ScanPath::Reference)
        return "reference";
    const ScanKernelRow *row = scanKernel(ScanEncoding::Cp932, path);
    return row ? row->name : "?";
}
