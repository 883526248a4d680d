#include "EngineRun.h"

#include "BenchDumpWindow.h"
#include "DumpEngine.h"
#include "FileText.h"
#include "HeapCounter.h"

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <type_traits>

static_assert(std::is_trivially_copyable_v<EngineRun::Figures>);

EngineRun::Figures EngineRun::measure(const QString &path, qint64 size)
{
    BenchDumpWindow window(path);
    DumpEngine engine(window);
    const qint64 heldBefore = HeapCounter::liveBytes();
    const auto start = std::chrono::steady_clock::now();
    engine.RunDump();
    Figures figures;
    figures.runSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.longestBlockMs = window.longestBlockMs();
    check(window, size);
    window.releaseTexts();
    figures.dumpListHeapBytes = HeapCounter::liveBytes() - heldBefore;
    figures.dumpListLength = engine.dumpList().length();
    return figures;
}

void EngineRun::check(const BenchDumpWindow &window, qint64 size)
{
    if (!window.messages().isEmpty())
        throw std::runtime_error("the run showed a message: " + window.messages().constLast().toStdString());
    if (window.caption() != DumpEngine::progressCaption(QStringLiteral("実行終了"), size, size))
        throw std::runtime_error("the run ended with the caption " + window.caption().toStdString());
    if (!window.fileText() || window.fileText()->size() != size)
        throw std::runtime_error("the file's text is not the whole file");
    if (!window.dumpText().endsWith(QStringLiteral("\r\n")))
        throw std::runtime_error("the dump list shown does not end with its last line");
}

std::string EngineRun::toReport(const Figures &figures)
{
    return std::string(reinterpret_cast<const char *>(&figures), sizeof figures);
}

EngineRun::Figures EngineRun::fromReport(const std::string &report)
{
    Figures figures;
    if (report.size() != sizeof figures)
        throw std::runtime_error("the engine run reported nothing usable");
    std::memcpy(&figures, report.data(), sizeof figures);
    return figures;
}
