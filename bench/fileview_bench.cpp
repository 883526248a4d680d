// Showing a file's text: FileTextView against QPlainTextEdit (no wrapping,
// as the window used it), in one run, on the same texts:
//
//   build-bench/bench/fileview_bench
//   build-bench/bench/fileview_bench --benchmark_filter=FileTextView   # without the slow peer
//
// Texts, made in memory before anything is timed: "binary" = bytes of every
// value but CR and LF (one line, as a binary file without line breaks),
// "sjis" = Shift-JIS text lines with CR LF. Sizes: 1 MB and 10 MB (MB =
// 10^6 bytes, where the peer is measured) and 256 MiB (FileTextView only).
//
//   commit      FileText: copying the text in 1 MiB blocks and committing
//               each (which indexes it), against the copy alone (memcpy)
//   show        setFileText (setPlainText for the peer) and the first paint
//   scrollToEnd both scroll bars to their ends, then a paint
//   copyAll     selectAll() and copy() until the clipboard holds the text
//               (up to CopyLimit): the longest turn of the event loop (ms),
//               and the whole copy (total_ms)
//
// Times are wall clock, medians of the repetitions. The last lines give the
// peer's time over FileTextView's for each text, and each figure against
// the 50 ms that the event loop may be blocked.

#include "FileText.h"
#include "FileTextView.h"
#include "MedianReporter.h"
#include "ShiftJisTextGenerator.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr qint64 Block = qint64(1) << 20;
constexpr double BlockedLimitMs = 50;

struct Text
{
    std::string kind;
    std::string size; // "1MB", "10MB", "256MiB"
    std::string bytes;
    std::shared_ptr<const FileText> fileText;
    std::string name() const { return kind + "/" + size; }
};

std::string binaryBytes(qint64 n)
{
    std::string bytes(std::size_t(n), '\0');
    std::mt19937_64 random(1);
    for (char &b : bytes) {
        b = char(random() >> 56);
        if (b == '\r' || b == '\n')
            b = 'x';
    }
    return bytes;
}

std::string shiftJisBytes(qint64 n)
{
    std::string bytes;
    bytes.reserve(std::size_t(n));
    ShiftJisTextGenerator(2).appendText(bytes, std::size_t(n));
    return bytes;
}

FileTextView &view();

// Copies `bytes` into a new FileText a block at a time, committing each
// block unless `commit` is false; the slowest block's time in `worstBlock`.
std::shared_ptr<FileText> fill(const std::string &bytes, bool commit, double &worstBlock)
{
    auto text = std::make_shared<FileText>(qint64(bytes.size()), view().textMetrics());
    std::vector<char> copy(commit ? 0 : bytes.size());
    worstBlock = 0;
    for (qint64 done = 0; done < qint64(bytes.size()); done += Block) {
        const qint64 n = std::min(Block, qint64(bytes.size()) - done);
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(commit ? text->blockBuffer(n) : copy.data() + done, bytes.data() + done, std::size_t(n));
        if (commit)
            text->commit(n);
        worstBlock = std::max(worstBlock, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return text;
}

template<typename Work>
double secondsOf(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void setTime(benchmark::State &state, double seconds)
{
    state.SetIterationTime(seconds);
    state.counters["ms"] = seconds * 1000;
}

// Text2's font in the window where the project's Japanese fonts are installed.
QFont viewFont()
{
    return QFont(QStringLiteral("IPAPGothic"), 9);
}

FileTextView &view()
{
    static FileTextView *view = [] {
        auto *v = new FileTextView;
        v->setFont(viewFont());
        v->resize(800, 600);
        v->show();
        QApplication::processEvents();
        return v;
    }();
    return *view;
}

void registerCommit(const Text &text)
{
    for (bool commit : {true, false}) {
        benchmark::RegisterBenchmark(((commit ? "commit/" : "memcpy/") + text.name()).c_str(), [&text, commit](benchmark::State &state) {
            for (auto _ : state) {
                double worst = 0;
                std::shared_ptr<FileText> filled;
                setTime(state, secondsOf([&] { filled = fill(text.bytes, commit, worst); }));
                state.counters["worst_block_ms"] = worst * 1000;
                state.counters["MB/s"] = double(text.bytes.size()) / 1e6 / state.counters["ms"] * 1000;
                if (commit)
                    state.counters["index_KiB"] = (double(filled->index().lines().checkpointCount()) * 16 + double(filled->size()) / 4096 / 8) / 1024;
            }
        })->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
}

void registerView(const Text &text)
{
    const auto reset = [] {
        view().setFileText(nullptr);
        view().viewport()->repaint();
    };
    const std::string name = text.name();
    benchmark::RegisterBenchmark(("FileTextView/show/" + name).c_str(), [&text, reset](benchmark::State &state) {
        for (auto _ : state) {
            reset();
            setTime(state, secondsOf([&] {
                view().setFileText(text.fileText);
                view().viewport()->repaint();
            }));
        }
    })->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("FileTextView/scrollToEnd/" + name).c_str(), [&text, reset](benchmark::State &state) {
        for (auto _ : state) {
            reset();
            view().setFileText(text.fileText);
            setTime(state, secondsOf([] {
                view().verticalScrollBar()->setValue(view().verticalScrollBar()->maximum());
                view().horizontalScrollBar()->setValue(view().horizontalScrollBar()->maximum());
                view().viewport()->repaint();
            }));
        }
    })->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("FileTextView/copyAll/" + name).c_str(), [&text](benchmark::State &state) {
        for (auto _ : state) {
            view().setFileText(text.fileText);
            view().selectAll();
            bool copied = false;
            const auto connection = QObject::connect(&view(), &FileTextView::copied, [&] { copied = true; });
            double longest = secondsOf([] { view().copy(); });
            double total = longest;
            while (!copied) {
                const double turn = secondsOf([] { QCoreApplication::processEvents(); });
                longest = std::max(longest, turn);
                total += turn;
            }
            QObject::disconnect(connection);
            setTime(state, longest);
            state.counters["total_ms"] = total * 1000;
        }
    })->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
}

void registerPeer(const Text &text)
{
    benchmark::RegisterBenchmark(("QPlainTextEdit/show/" + text.name()).c_str(), [&text](benchmark::State &state) {
        QPlainTextEdit edit;
        edit.setFont(viewFont());
        edit.setReadOnly(true);
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.resize(800, 600);
        edit.show();
        QApplication::processEvents();
        const QString decoded = text.fileText->toString();
        for (auto _ : state) {
            edit.clear();
            edit.viewport()->repaint();
            setTime(state, secondsOf([&] {
                edit.setPlainText(decoded);
                edit.viewport()->repaint();
            }));
        }
    })->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
}

void printSummary(const MedianReporter &medians, const std::vector<std::unique_ptr<Text>> &texts)
{
    std::printf("\nmedians (ms), index size, and the 50 ms limit on a blocked event loop:\n");
    std::printf("%-14s %9s %9s %9s %10s %12s %12s %10s %9s %10s\n", "text", "show", "toEnd", "copy step", "copy all",
                "commit MB/s", "memcpy MB/s", "worst blk", "index KiB", "peer show");
    for (const auto &text : texts) {
        const std::string name = text->name();
        const auto show = medians.median("FileTextView/show/" + name, "ms");
        const auto toEnd = medians.median("FileTextView/scrollToEnd/" + name, "ms");
        const auto copy = medians.median("FileTextView/copyAll/" + name, "ms");
        const auto worst = medians.median("commit/" + name, "worst_block_ms");
        std::printf("%-14s %9s %9s %9s %10s %12s %12s %10s %9s %10s   %s\n", name.c_str(), figure(show, 2).c_str(),
                    figure(toEnd, 2).c_str(), figure(copy, 1).c_str(),
                    figure(medians.median("FileTextView/copyAll/" + name, "total_ms"), 0).c_str(),
                    figure(medians.median("commit/" + name, "MB/s"), 0).c_str(),
                    figure(medians.median("memcpy/" + name, "MB/s"), 0).c_str(), figure(worst, 2).c_str(),
                    figure(medians.median("commit/" + name, "index_KiB"), 0).c_str(),
                    figure(medians.median("QPlainTextEdit/show/" + name, "ms"), 0).c_str(),
                    show && toEnd && copy && worst && std::max({*show, *toEnd, *copy, *worst}) <= BlockedLimitMs ? "<= 50 ms: met" : "<= 50 ms: MISSED or n/a");
    }
    std::printf("ratio QPlainTextEdit/FileTextView (show):");
    for (const auto &text : texts) {
        const auto peer = medians.median("QPlainTextEdit/show/" + text->name(), "ms");
        const auto ours = medians.median("FileTextView/show/" + text->name(), "ms");
        if (peer && ours)
            std::printf(" %s=%.0f", text->name().c_str(), *peer / *ours);
    }
    std::printf("\n");
}

int runBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    std::vector<std::unique_ptr<Text>> texts;
    for (const char *kind : {"binary", "sjis"})
        for (const auto &[size, bytes] : std::map<std::string, qint64>{{"1MB", 1000000}, {"10MB", 10000000}, {"256MiB", qint64(256) << 20}})
            texts.push_back(std::make_unique<Text>(
                Text{kind, size, std::string(kind) == "binary" ? binaryBytes(bytes) : shiftJisBytes(bytes), nullptr}));
    for (auto &text : texts) {
        double worst = 0;
        text->fileText = fill(text->bytes, true, worst);
        registerCommit(*text);
    }
    for (auto &text : texts) {
        registerView(*text);
        if (text->size != "256MiB")
            registerPeer(*text);
    }
    std::printf("view: %d x %d pixels, font %s; peer: QPlainTextEdit, read-only, no wrapping, the same font and size\n",
                view().viewport()->width(), view().viewport()->height(), qPrintable(view().font().family()));
    MedianReporter medians;
    benchmark::RunSpecifiedBenchmarks(&medians);
    std::fflush(stdout);
    printSummary(medians, texts);
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
