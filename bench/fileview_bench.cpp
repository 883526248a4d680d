// What the file's text view must meet, with QPlainTextEdit beside it where
// that can take the text:
//
//   build-bench/bench/fileview_bench                       # 1 MB and 256 MiB
//   HEXMOTH_BENCH_HUGE=1 build-bench/bench/fileview_bench  # and 5 GiB, slow to build
//   build-bench/bench/fileview_bench --benchmark_filter=FileTextView  # without the peer
//
// Texts, in two shapes: "lines" = Shift-JIS lines with CR LF, "binary" = one
// line of random bytes with CR and LF replaced. 1 MB (10^6 bytes) and
// 256 MiB are made in memory before anything is timed. The 5 GiB texts are
// written straight into the FileText's own anonymous memory, which is zeros
// until written: "binary" is zeros ending in "END" (one line, costing next
// to no memory, nothing copied), "lines" is zeros with an LF every 80 bytes
// and "END" (5 GiB of real memory while it lives).
//
//   build       the FileText made as the run makes it: each 1 MiB block
//               written into blockBuffer() and committed (which indexes it),
//               MB/s; peer memcpy: the same writes into a fresh mapping alone
//   show        setFileText and the first paint
//   scrollToEnd both scroll bars to their maximum, then a paint
//   jump        setSelection at the end of the longest line and a paint,
//               first_ms just after show, again_ms after scrolling back to
//               the start; in_view: positionRect() of that end is then
//               in the viewport (end_x its left)
//
// An 800x600 view in the window's font; wall clock, medians of the
// repetitions. QPlainTextEdit (read-only, no wrapping, same font and size,
// setPlainText of the decoded text) only at 1 MB: it lays out every line
// at once. The summary gives the longest single paint of each text, the
// index's memory, the peer's time over ours, and the goals: every show,
// scroll and jump within a frame (16 ms), but the first jump to the end of
// a line over 100 MB within 100 ms; the index at most 1 % of the text.
//
// Without DISPLAY the benchmark starts its own Xvfb, or uses the offscreen
// platform when there is none; the first line says which.

#include "FileText.h"
#include "FileTextView.h"
#include "MedianReporter.h"
#include "ShiftJisTextGenerator.h"
#include "VirtualDisplay.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/mman.h>

namespace {

constexpr qint64 Block = qint64(1) << 20;
constexpr qint64 Huge = qint64(5) << 30;
constexpr qint64 HugeLineLength = 80;
constexpr double FrameGoalMs = 16;
constexpr double LongLineJumpGoalMs = 100;
constexpr qint64 LongLine = 100000000;
constexpr double IndexGoalPercent = 1;

struct Text
{
    std::string shape; // "lines" or "binary"
    std::string size;  // "1MB", "256MiB", "5GiB"
    qint64 length = 0;
    std::string bytes; // empty for the 5 GiB texts, written in place
    std::shared_ptr<const FileText> fileText; // the last one built
    qint64 longestLineEnd = 0;
    qint64 longestLineLength = 0;
    double longestPaintMs = 0;
    std::string longestPaintStep; // "show", "toEnd", "jump1st" or "jump2"
    std::string name() const { return shape + "/" + size; }
    bool huge() const { return length == Huge; }
    bool sparse() const { return huge() && shape == "binary"; }
};

std::string binaryBytes(qint64 n)
{
    std::string bytes(std::size_t(n), '\0');
    std::mt19937_64 random(1);
    for (qint64 i = 0; i < n; i += 8) {
        const std::uint64_t value = random();
        std::memcpy(bytes.data() + i, &value, std::size_t(std::min<qint64>(8, n - i)));
    }
    std::replace(bytes.begin(), bytes.end(), '\r', 'x');
    std::replace(bytes.begin(), bytes.end(), '\n', 'y');
    return bytes;
}

std::string shiftJisBytes(qint64 n)
{
    std::string bytes;
    bytes.reserve(std::size_t(n));
    ShiftJisTextGenerator(2).appendText(bytes, std::size_t(n));
    return bytes;
}

// The bytes [done, done + n) of `text` into `into`, which holds zeros.
void writeBlock(const Text &text, char *into, qint64 done, qint64 n)
{
    if (!text.huge()) {
        std::memcpy(into, text.bytes.data() + done, std::size_t(n));
        return;
    }
    if (text.shape == "lines")
        for (qint64 i = HugeLineLength - 1 - done % HugeLineLength; i < n; i += HugeLineLength)
            into[i] = '\n';
    if (done + n == text.length)
        std::memcpy(into + n - 3, "END", 3);
}

template<typename Work>
double msOf(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void setTime(benchmark::State &state, double ms)
{
    state.SetIterationTime(ms / 1000);
    state.counters["ms"] = ms;
}

// The window's font for the text.
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

std::shared_ptr<FileText> build(const Text &text)
{
    auto built = std::make_shared<FileText>(text.length, view().textMetrics());
    for (qint64 done = 0; done < text.length; done += Block) {
        const qint64 n = std::min(Block, text.length - done);
        writeBlock(text, built->blockBuffer(n), done, n);
        built->commit(n);
    }
    return built;
}

void copyAlone(const Text &text)
{
    void *memory = ::mmap(nullptr, std::size_t(text.length), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    for (qint64 done = 0; done < text.length; done += Block)
        writeBlock(text, static_cast<char *>(memory) + done, done, std::min(Block, text.length - done));
    ::munmap(memory, std::size_t(text.length));
}

// The end of the longest line, by a pass over the bytes; the texts here
// break lines with LF or CR LF only.
void findLongestLine(Text &text)
{
    const char *bytes = text.fileText->data();
    const qint64 size = text.fileText->size();
    for (qint64 start = 0; start <= size;) {
        const void *lf = std::memchr(bytes + start, '\n', std::size_t(size - start));
        const qint64 lfAt = lf ? static_cast<const char *>(lf) - bytes : size;
        const qint64 end = lfAt > start && lfAt < size && bytes[lfAt - 1] == '\r' ? lfAt - 1 : lfAt;
        if (end - start >= text.longestLineLength) {
            text.longestLineLength = end - start;
            text.longestLineEnd = end;
        }
        start = lfAt + 1;
    }
}

// The text built once, for a benchmark run without the build's.
const std::shared_ptr<const FileText> &built(Text &text)
{
    if (!text.fileText) {
        text.fileText = build(text);
        findLongestLine(text);
    }
    return text.fileText;
}

benchmark::internal::Benchmark *timed(benchmark::internal::Benchmark *benchmark, int repetitions)
{
    return benchmark->Iterations(1)->Repetitions(repetitions)->UseManualTime()->Unit(benchmark::kMillisecond);
}

void registerBuild(Text &text)
{
    const int repetitions = text.huge() ? 1 : 3;
    const double mb = double(text.length) / 1e6;
    if (!text.sparse())
        timed(benchmark::RegisterBenchmark(("memcpy/" + text.name()).c_str(), [&text, mb](benchmark::State &state) {
            for (auto _ : state) {
                const double ms = msOf([&] { copyAlone(text); });
                setTime(state, ms);
                state.counters["MB/s"] = mb / ms * 1000;
            }
        }), repetitions);
    timed(benchmark::RegisterBenchmark(("build/" + text.name()).c_str(), [&text, mb](benchmark::State &state) {
        for (auto _ : state) {
            text.fileText.reset();
            std::shared_ptr<FileText> made;
            const double ms = msOf([&] { made = build(text); });
            setTime(state, ms);
            state.counters["MB/s"] = mb / ms * 1000;
            text.fileText = std::move(made);
        }
        findLongestLine(text);
    }), repetitions);
}

// A synchronous paint of the view, timed into the text's longest.
void paint(Text &text, const char *step)
{
    const double ms = msOf([] { view().viewport()->repaint(); });
    if (ms > text.longestPaintMs) {
        text.longestPaintMs = ms;
        text.longestPaintStep = step;
    }
}

void showFromStart(Text &text)
{
    view().setFileText(nullptr);
    view().viewport()->repaint();
    view().setFileText(built(text));
    paint(text, "show");
}

void setBars(QAbstractScrollArea &area, bool toEnd)
{
    area.verticalScrollBar()->setValue(toEnd ? area.verticalScrollBar()->maximum() : 0);
    area.horizontalScrollBar()->setValue(toEnd ? area.horizontalScrollBar()->maximum() : 0);
}

double jumpToLongestLineEnd(Text &text, const char *step)
{
    return msOf([&] {
        view().setSelection(text.longestLineEnd, text.longestLineEnd);
        paint(text, step);
    });
}

void registerShowAndScroll(Text &text, int repetitions)
{
    timed(benchmark::RegisterBenchmark(("FileTextView/show/" + text.name()).c_str(), [&text](benchmark::State &state) {
        for (auto _ : state) {
            view().setFileText(nullptr);
            view().viewport()->repaint();
            const auto &fileText = built(text);
            setTime(state, msOf([&] {
                view().setFileText(fileText);
                paint(text, "show");
            }));
        }
    }), repetitions);
    timed(benchmark::RegisterBenchmark(("FileTextView/scrollToEnd/" + text.name()).c_str(), [&text](benchmark::State &state) {
        for (auto _ : state) {
            showFromStart(text);
            setTime(state, msOf([&] {
                setBars(view(), true);
                paint(text, "toEnd");
            }));
        }
    }), repetitions);
}

void registerJump(Text &text, int repetitions)
{
    timed(benchmark::RegisterBenchmark(("FileTextView/jump/" + text.name()).c_str(), [&text](benchmark::State &state) {
        for (auto _ : state) {
            showFromStart(text);
            const double first = jumpToLongestLineEnd(text, "jump1st");
            setBars(view(), false);
            view().viewport()->repaint();
            const double again = jumpToLongestLineEnd(text, "jump2");
            const QRect end = view().positionRect(text.longestLineEnd);
            setTime(state, first);
            state.counters["in_view"] = view().viewport()->rect().intersects(end) ? 1 : 0;
            state.counters["end_x"] = end.x();
            state.counters["first_ms"] = first;
            state.counters["again_ms"] = again;
        }
    }), repetitions);
}

QPlainTextEdit &peer()
{
    static QPlainTextEdit *edit = [] {
        auto *e = new QPlainTextEdit;
        e->setFont(viewFont());
        e->setReadOnly(true);
        e->setLineWrapMode(QPlainTextEdit::NoWrap);
        e->resize(800, 600);
        e->show();
        QApplication::processEvents();
        return e;
    }();
    return *edit;
}

void registerPeer(Text &text)
{
    timed(benchmark::RegisterBenchmark(("QPlainTextEdit/show/" + text.name()).c_str(), [&text](benchmark::State &state) {
        const QString decoded = built(text)->toString();
        for (auto _ : state) {
            peer().clear();
            peer().viewport()->repaint();
            setTime(state, msOf([&] {
                peer().setPlainText(decoded);
                peer().viewport()->repaint();
            }));
        }
    }), 3);
    timed(benchmark::RegisterBenchmark(("QPlainTextEdit/scrollToEnd/" + text.name()).c_str(), [&text](benchmark::State &state) {
        peer().setPlainText(built(text)->toString());
        for (auto _ : state) {
            setBars(peer(), false);
            peer().viewport()->repaint();
            setTime(state, msOf([] {
                setBars(peer(), true);
                peer().viewport()->repaint();
            }));
        }
        peer().clear();
    }), 3);
}

std::optional<double> ratio(std::optional<double> peer, std::optional<double> ours)
{
    if (!peer || !ours || *ours <= 0)
        return std::nullopt;
    return *peer / *ours;
}

std::optional<qint64> indexBytes(const Text &text)
{
    if (!text.fileText)
        return std::nullopt;
    const TextIndex &index = text.fileText->index();
    return index.lines().memoryBytes() + index.characters().memoryBytes();
}

const char *verdict(bool known, bool met)
{
    return !known ? "n/a" : met ? "met" : "NOT MET";
}

// Every show, scroll and jump within a frame, but the first jump to the
// end of a long line within LongLineJumpGoalMs.
const char *timeVerdict(const MedianReporter &medians, const Text &text)
{
    const std::string name = text.name();
    const auto show = medians.median("FileTextView/show/" + name, "ms");
    const auto toEnd = medians.median("FileTextView/scrollToEnd/" + name, "ms");
    const auto first = medians.median("FileTextView/jump/" + name, "first_ms");
    const auto again = medians.median("FileTextView/jump/" + name, "again_ms");
    if (!show || !toEnd || !first || !again)
        return "n/a";
    const double firstGoal = text.longestLineLength > LongLine ? LongLineJumpGoalMs : FrameGoalMs;
    return verdict(true, std::max({*show, *toEnd, *again}) <= FrameGoalMs && *first <= firstGoal);
}

void printRow(const MedianReporter &medians, const Text &text)
{
    const std::string name = text.name();
    const auto bytes = indexBytes(text);
    const auto percent = bytes ? std::optional<double>(100.0 * double(*bytes) / double(text.length)) : std::nullopt;
    const auto show = medians.median("FileTextView/show/" + name, "ms");
    const auto toEnd = medians.median("FileTextView/scrollToEnd/" + name, "ms");
    std::printf("%-14s %7s %7s %6s %6s %7s %6s %6s %11s %7s %7s %7s %6s %6s  %-7s %s\n", name.c_str(),
                figure(medians.median("build/" + name, "MB/s"), 0).c_str(),
                figure(medians.median("memcpy/" + name, "MB/s"), 0).c_str(), figure(show, 2).c_str(), figure(toEnd, 2).c_str(),
                figure(medians.median("FileTextView/jump/" + name, "first_ms"), 2).c_str(),
                figure(medians.median("FileTextView/jump/" + name, "again_ms"), 2).c_str(),
                figure(text.fileText ? std::optional<double>(text.longestPaintMs) : std::nullopt, 2).c_str(),
                bytes ? std::to_string(*bytes).c_str() : "n/a", figure(percent, 3).c_str(),
                figure(medians.median("QPlainTextEdit/show/" + name, "ms"), 1).c_str(),
                figure(medians.median("QPlainTextEdit/scrollToEnd/" + name, "ms"), 2).c_str(),
                figure(ratio(medians.median("QPlainTextEdit/show/" + name, "ms"), show), 0).c_str(),
                figure(ratio(medians.median("QPlainTextEdit/scrollToEnd/" + name, "ms"), toEnd), 1).c_str(),
                timeVerdict(medians, text), verdict(bool(percent), percent && *percent <= IndexGoalPercent));
    const auto inView = medians.median("FileTextView/jump/" + name, "in_view");
    if (inView && *inView < 1)
        std::printf("%-14s after the jump, positionRect() of the line's end is not in the viewport: x = %s\n", "",
                    figure(medians.median("FileTextView/jump/" + name, "end_x"), 0).c_str());
}

void printSummary(const MedianReporter &medians, const std::vector<std::unique_ptr<Text>> &texts)
{
    std::printf("\nmedians; times in ms; build and memcpy in MB/s; index in bytes and %% of the text;"
                " peer = QPlainTextEdit (1 MB only), ratio = peer / ours:\n");
    std::printf("%-14s %7s %7s %6s %6s %7s %6s %6s %11s %7s %7s %7s %6s %6s  %-7s %s\n", "text", "build", "memcpy",
                "show", "toEnd", "jump1st", "jump2", "paint", "index B", "index%", "p.show", "p.toEnd", "r.show",
                "r.toEnd", "<=16ms", "index<=1%");
    for (const auto &text : texts)
        printRow(medians, *text);
    std::printf("goals: show, scroll to end and jump <= %.0f ms, the first jump to the end of a line over 100 MB"
                " <= %.0f ms; index <= %.0f %% of the text. Longest lines:",
                FrameGoalMs, LongLineJumpGoalMs, IndexGoalPercent);
    for (const auto &text : texts)
        if (text->fileText)
            std::printf(" %s=%lld", text->name().c_str(), (long long)text->longestLineLength);
    std::printf(" bytes\nlongest paint, in:");
    for (const auto &text : texts)
        if (text->fileText)
            std::printf(" %s=%s", text->name().c_str(), text->longestPaintStep.c_str());
    std::printf("\n");
}

std::unique_ptr<Text> makeText(const std::string &shape, const std::string &size, qint64 length)
{
    auto text = std::make_unique<Text>();
    text->shape = shape;
    text->size = size;
    text->length = length;
    return text;
}

std::vector<std::unique_ptr<Text>> makeTexts(bool huge)
{
    std::vector<std::unique_ptr<Text>> texts;
    for (const std::string shape : {"lines", "binary"})
        for (const auto &[size, length] : std::vector<std::pair<std::string, qint64>>{{"1MB", 1000000}, {"256MiB", qint64(256) << 20}}) {
            auto text = makeText(shape, size, length);
            text->bytes = shape == "lines" ? shiftJisBytes(length) : binaryBytes(length);
            texts.push_back(std::move(text));
        }
    if (huge)
        for (const std::string shape : {"lines", "binary"})
            texts.push_back(makeText(shape, "5GiB", Huge));
    return texts;
}

void registerAll(const std::vector<std::unique_ptr<Text>> &texts)
{
    for (const auto &text : texts) {
        registerBuild(*text);
        registerShowAndScroll(*text, text->huge() ? 3 : 5);
        registerJump(*text, text->huge() ? 3 : 5);
        if (text->size == "1MB")
            registerPeer(*text);
    }
}

int runBenchmarks(int argc, char **argv, const VirtualDisplay &display)
{
    std::string aggregatesOnly = "--benchmark_display_aggregates_only=true";
    std::vector<char *> arguments{argv[0], aggregatesOnly.data()};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    argc = int(arguments.size());
    benchmark::Initialize(&argc, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(argc, arguments.data()))
        return 2;
    const auto texts = makeTexts(qEnvironmentVariableIntValue("HEXMOTH_BENCH_HUGE") == 1);
    registerAll(texts);
    std::printf("display %s (platform %s); view %d x %d pixels (viewport %d x %d), font %s %d pt; 5 GiB texts %s\n",
                qPrintable(display.description()), qPrintable(QGuiApplication::platformName()), view().width(),
                view().height(), view().viewport()->width(), view().viewport()->height(),
                qPrintable(view().font().family()), view().font().pointSize(),
                texts.back()->huge() ? "on" : "off (HEXMOTH_BENCH_HUGE=1)");
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
    const VirtualDisplay display;
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv, display);
}
