#include "EngineRun.h"

#include "Bench.h"
#include "DumpEngine.h"
#include "EventLoopGaps.h"
#include "FakeDumpWindow.h"
#include "FileText.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <stdexcept>

namespace {

// Bytes held through operator new in this process: the allocator's usable
// size of each block, slack included. Qt's containers allocate with malloc
// and are not counted; std::string and new[] are.
std::atomic<qint64> heldBytes{0};

void *allocate(std::size_t n, std::size_t alignment = 0)
{
    n = n ? n : 1;
    void *p = alignment > alignof(std::max_align_t) ? std::aligned_alloc(alignment, (n + alignment - 1) / alignment * alignment)
                                                     : std::malloc(n);
    if (!p)
        throw std::bad_alloc();
    heldBytes.fetch_add(qint64(malloc_usable_size(p)), std::memory_order_relaxed);
    return p;
}

void release(void *p) noexcept
{
    if (!p)
        return;
    heldBytes.fetch_sub(qint64(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

// Throws unless the run ended cleanly with all `size` bytes dumped.
void check(const FakeDumpWindow &window, qint64 size)
{
    const QString caption = window.captions.value(window.captions.size() - 1);
    if (!window.messages.isEmpty())
        throw std::runtime_error("the run showed a message: " + window.messages.constLast().toStdString());
    if (caption != DumpEngine::progressCaption(QStringLiteral("実行終了"), size, size))
        throw std::runtime_error("the run ended with the caption " + caption.toStdString());
    if (!window.fileText || window.fileText->size() != size)
        throw std::runtime_error("the file's text is not the whole file");
    if (!window.dumpText.endsWith(QStringLiteral("\r\n")))
        throw std::runtime_error("the dump list shown does not end with its last line");
}

} // namespace

// Replaced for the whole program that links this; the standard library's
// other forms (arrays, nothrow, aligned sizes) call these.
void *operator new(std::size_t n) { return allocate(n); }
void *operator new(std::size_t n, std::align_val_t a) { return allocate(n, std::size_t(a)); }
void operator delete(void *p) noexcept { release(p); }
void operator delete(void *p, std::size_t) noexcept { release(p); }
void operator delete(void *p, std::align_val_t) noexcept { release(p); }

EngineRun::Figures EngineRun::measure(const QString &path, qint64 size)
{
    FakeDumpWindow window;
    window.chosenPath = path;
    // Every character as wide as an average one of a 9 point font: the text
    // is measured as for a real view, whose window has measured every
    // double-byte character while it waited for the user.
    auto metrics = TextMetrics::uniform(7 * 64, XUnits(8 * 7 * 64));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        metrics->measureLead(std::uint8_t(lead));
    window.metrics = std::move(metrics);
    // Between two calls to handle events is one block's work: the longest
    // the window would have waited.
    EventLoopGaps blocks;
    window.onPendingEvents = [&](int) { blocks.tick(); };
    DumpEngine engine(window);
    const qint64 heldBefore = heldBytes.load();
    Figures figures;
    figures.runSeconds = msOf([&] { engine.RunDump(); }) / 1e3;
    figures.longestBlockMs = blocks.longestMs();
    check(window, size);
    window.fileText.reset();
    window.dumpText.clear();
    figures.dumpListHeapBytes = heldBytes.load() - heldBefore;
    return figures;
}
