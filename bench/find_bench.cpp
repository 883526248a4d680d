// Find over 1 GiB in the page cache, the file mapped as the program shows
// a large file: typed text in Shift-JIS text, hex with a wildcard in random
// bytes, the next invalid byte in Shift-JIS text (which holds none). Each
// case counts every match from the text's start to its end, by every path
// this processor runs (TextFinder), beside memmem on the same mapping and
// `grep -c -F` (LC_ALL=C) on the same file for the text. Then one search
// through a FileTextView's find bar, in slices, and the longest gap of the
// event loop meanwhile. GB/s = 10^9 bytes/s by the wall clock.
//
//   build-bench/bench/find_bench                              # 1 GiB files
//   HEXMOTH_BENCH_FILE_MIB=64 build-bench/bench/find_bench    # a quick run
//   build-bench/bench/find_bench --benchmark_filter=avx512    # one path

#include "Bench.h"
#include "ChildProcess.h"
#include "EventLoopGaps.h"
#include "FileText.h"
#include "FileTextView.h"
#include "FindBar.h"
#include "TestTexts.h"
#include "TextFinder.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstring>

namespace {

constexpr double TextGoal = 4;
constexpr double InvalidGoal = 2;
constexpr double GapGoalMs = 16;

// 見つかりません: nowhere in the generated text.
const QByteArray Needle("\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
const QString HexQuery = QStringLiteral("DE AD ?? EF 01");

struct Input
{
    QString path;
    std::shared_ptr<FileText> text;
};
std::map<std::string, Input> inputs; // "sjis", "random"

struct Case
{
    std::string name;
    std::string input;
    FindKind kind;
};
const std::vector<Case> Cases = {{"text", "sjis", FindKind::Text}, {"hex", "random", FindKind::Hex}, {"invalid", "sjis", FindKind::InvalidByte}};

FindPattern patternOf(FindKind kind)
{
    if (kind == FindKind::Text)
        return encodeTextPattern(Cp932::instance().decode(Needle.constData(), Needle.size())).pattern;
    return kind == FindKind::Hex ? parseHexPattern(HexQuery).pattern : FindPattern{};
}

void setSpeed(benchmark::State &state, double ms, qint64 size, qint64 matches)
{
    state.SetIterationTime(ms / 1e3);
    state.counters["GB/s"] = double(size) / ms / 1e6;
    state.counters["matches"] = double(matches);
}

void measureFind(benchmark::State &state, const Case &c, FindPath path)
{
    const FileText &text = *inputs[c.input].text;
    overrideFindPath(path);
    const TextFinder finder(text, c.kind, patternOf(c.kind));
    overrideFindPath(std::nullopt);
    qint64 matches = 0;
    const double ms = msOf([&] {
        for (auto match = finder.first(0, finder.size()); match; match = finder.first(match->at + 1, finder.size()))
            ++matches;
    });
    setSpeed(state, ms, text.size(), matches);
}

void measureMemmem(benchmark::State &state)
{
    const FileText &text = *inputs["sjis"].text;
    qint64 matches = 0;
    const double ms = msOf([&] {
        const char *end = text.data() + text.size();
        for (const char *p = text.data(); (p = static_cast<const char *>(::memmem(p, std::size_t(end - p), Needle.constData(), std::size_t(Needle.size())))); ++p)
            ++matches;
    });
    setSpeed(state, ms, text.size(), matches);
}

void measureGrep(benchmark::State &state)
{
    const std::string needle = Needle.toStdString();
    const ChildProcess::Outcome outcome = ChildProcess::run(
        {"sh", "-c", "LC_ALL=C grep -c -F -e \"$1\" \"$2\"; [ $? -le 1 ]", "sh", needle, inputs["sjis"].path.toStdString()});
    if (!outcome.ok)
        return state.SkipWithError(outcome.failure.c_str());
    state.SetIterationTime(outcome.seconds);
    state.counters["GB/s"] = double(inputs["sjis"].text->size()) / outcome.seconds / 1e9;
}

// The text not found: the bar looks through all of it, a slice at a time.
void measureGaps(benchmark::State &state)
{
    static FileTextView *view = [] {
        auto *v = new FileTextView;
        new FindBar(v);
        v->resize(800, 600);
        v->show();
        return v;
    }();
    view->setFileText(inputs["sjis"].text);
    auto *bar = view->findChild<FindBar *>();
    bar->open();
    bar->findChild<QComboBox *>()->setCurrentIndex(0);
    bar->findChild<QLineEdit *>()->setText(Cp932::instance().decode(Needle.constData(), Needle.size()));
    // The view's first paint and its measuring of the double-byte glyphs
    // (a lead byte per turn of the loop) are done before the search.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QApplication::processEvents();
    EventLoopGaps gaps;
    gaps.start();
    state.counters["first_slice_ms"] = msOf([&] { bar->findNext(); });
    while (bar->isSearching())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    gaps.stop();
    state.SetIterationTime(gaps.elapsedMs() / 1e3);
    state.counters["longest_gap_ms"] = gaps.longestMs();
    state.counters["gap_end_ms"] = gaps.longestEndedAtMs();
    state.counters["GB/s"] = double(inputs["sjis"].text->size()) / gaps.elapsedMs() / 1e6;
    state.counters["not_found"] = bar->status() == QStringLiteral("見つかりません");
}

void setUp(Bench &bench)
{
    const qint64 size = bench.fileSizeChosen() ? bench.fileSize() : qint64(1) << 30;
    inputs["sjis"].path = bench.files().writeShiftJisText(QStringLiteral("sjis.txt"), size, 5);
    inputs["random"].path = bench.files().writeRandomBinary(QStringLiteral("random.bin"), size, 6);
    for (auto &[name, input] : inputs)
        input.text = mappedTextOf(input.path, qint64(1) << 20);
    std::printf("paths:");
    for (FindPath path : runnableFindPaths())
        std::printf(" %s", findPathName(path));
    std::printf(" (chosen: %s); %s files, mapped\n", findPathName(activeFindPath()), Bench::sizeName(size).c_str());
    for (const Case &c : Cases)
        for (FindPath path : runnableFindPaths())
            bench.add(c.name + "/" + findPathName(path), [&c, path](benchmark::State &state) { measureFind(state, c, path); });
    bench.add("text/memmem", measureMemmem);
    bench.add("text/grep-c-F", measureGrep);
    bench.add("bar/gaps", measureGaps);
}

void report(Bench &bench)
{
    const MedianReporter &medians = bench.medians();
    std::vector<std::string> rows;
    for (const Case &c : Cases)
        for (FindPath path : runnableFindPaths())
            rows.push_back(c.name + "/" + findPathName(path));
    rows.insert(rows.end(), {"text/memmem", "text/grep-c-F", "bar/gaps"});
    std::printf("\nmedians\n");
    medians.printTable("case/path", rows, {{"GB/s", "GB/s", 3}, {"matches", "matches", 0}, {"longest gap ms", "longest_gap_ms", 1}});
    const auto chosen = [&](const std::string &name) { return medians.median(name + "/" + findPathName(activeFindPath()), "GB/s"); };
    std::printf("find-gbps text=%s hex=%s invalid=%s\n", figure(chosen("text"), 2).c_str(), figure(chosen("hex"), 2).c_str(),
                figure(chosen("invalid"), 2).c_str());
    std::printf("ratio-vs-memmem text=%s\n", figure(ratio(chosen("text"), medians.median("text/memmem", "GB/s")), 2).c_str());
    std::printf("ratio-vs-grep text=%s\n", figure(ratio(chosen("text"), medians.median("text/grep-c-F", "GB/s")), 2).c_str());
    const auto gap = medians.median("bar/gaps", "longest_gap_ms");
    std::printf("goals: text %s, hex %s (>= %.0f GB/s); invalid %s (>= %.0f GB/s); longest gap in the find bar's search %s ms: %s (<= %.0f ms)\n",
                verdict(chosen("text"), TextGoal, true), verdict(chosen("hex"), TextGoal, true), TextGoal,
                verdict(chosen("invalid"), InvalidGoal, true), InvalidGoal, figure(gap, 1).c_str(), verdict(gap, GapGoalMs), GapGoalMs);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Bench bench("find_bench", setUp, report);
    bench.application = true;
    bench.repetitions = 3;
    return bench.run(argc, argv);
}
