// Switching Text2's encoding on a large mapped text, UTF-8 Japanese lines
// as a run shows a file too large to copy: for each encoding the scan alone
// (FileText::indexMore over the whole text in one call) and the switch
// through a FileTextView (setTextEncoding until the text is shown, in
// slices), the ratio of the two and the longest gap of the event loop
// during the switch. And the hint a run's end asks for: the text sampled
// (EncodingSamples) and judged (EncodingHint).
//
//   build-bench/bench/switch_bench                            # 1 GiB
//   HEXMOTH_BENCH_FILE_MIB=64 build-bench/bench/switch_bench  # a quick run

#include "Bench.h"
#include "EncodedTexts.h"
#include "EncodingHint.h"
#include "EncodingSamples.h"
#include "EncodingSwitch.h"
#include "EventLoopGaps.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TestTexts.h"
#include "TextCodec.h"

#include <QApplication>
#include <QElapsedTimer>

namespace {

constexpr double RatioGoal = 1.2;
constexpr double GapGoalMs = 16;
constexpr TextEncoding Switched[] = {TextEncoding::Utf8, TextEncoding::EucJp, TextEncoding::Utf16Le, TextEncoding::Utf16Be};

std::shared_ptr<const FileText> source;

FileTextView &view()
{
    static FileTextView *shown = [] {
        auto *v = new FileTextView;
        v->resize(800, 600);
        v->show();
        return v;
    }();
    return *shown;
}

std::string nameOf(TextEncoding encoding)
{
    return textCodec(encoding).name().toStdString();
}

void measureScan(benchmark::State &state, TextEncoding encoding)
{
    FileText text(source, encoding, view().textMetrics());
    const double ms = msOf([&] { text.indexMore(text.sourceSize()); });
    state.SetIterationTime(ms / 1e3);
    state.counters["ms"] = ms;
}

void measureSwitch(benchmark::State &state, TextEncoding encoding)
{
    view().setFileText(source);
    QElapsedTimer settle; // the first paint, before the switch
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents();
    EventLoopGaps gaps;
    gaps.start();
    view().setTextEncoding(encoding);
    while (view().isSwitchingEncoding())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    gaps.stop();
    state.SetIterationTime(gaps.elapsedMs() / 1e3);
    state.counters["ms"] = gaps.elapsedMs();
    state.counters["longest_gap_ms"] = gaps.longestMs();
    state.counters["gap_end_ms"] = gaps.longestEndedAtMs();
    state.counters["shown"] = view().textEncoding() == encoding && view().fileText()->size() == source->size();
}

void measureHint(benchmark::State &state)
{
    std::optional<TextEncoding> hint;
    const double ms = msOf([&] { hint = EncodingHint::of(EncodingSamples::of(*source)); });
    state.SetIterationTime(ms / 1e3);
    state.counters["ms"] = ms;
    state.counters["utf8"] = hint == TextEncoding::Utf8;
}

void setUp(Bench &bench)
{
    const qint64 size = bench.fileSizeChosen() ? bench.fileSize() : qint64(1) << 30;
    const std::string lines = encodedAs(japaneseSentences().join(u'\n') + u'\n', TextEncoding::Utf8).toStdString();
    const QString path = bench.files().write(QStringLiteral("utf8.txt"), size, [&lines](std::string &chunk, qint64 offset, qint64 n) {
        const qint64 length = qint64(lines.size());
        while (qint64(chunk.size()) < n) {
            const qint64 at = (offset + qint64(chunk.size())) % length;
            chunk.append(lines, std::size_t(at), std::size_t(std::min(length - at, n - qint64(chunk.size()))));
        }
    });
    source = mappedTextOf(path, qint64(1) << 20, view().textMetrics());
    std::printf("%s of UTF-8 Japanese lines, mapped; a step of %lld KiB, slices of %d ms\n", Bench::sizeName(size).c_str(),
                (long long)(EncodingSwitch::StepBytes >> 10), EncodingSwitch::SliceMs);
    bench.add("hint", measureHint);
    for (TextEncoding encoding : Switched) {
        bench.add("scan/" + nameOf(encoding), [encoding](benchmark::State &state) { measureScan(state, encoding); });
        bench.add("switch/" + nameOf(encoding), [encoding](benchmark::State &state) { measureSwitch(state, encoding); });
    }
}

void report(Bench &bench)
{
    const MedianReporter &medians = bench.medians();
    std::vector<std::string> rows;
    for (TextEncoding encoding : Switched)
        rows.push_back(nameOf(encoding));
    const auto switchRatio = [&](const std::string &row) { return ratio(medians.median("switch/" + row, "ms"), medians.median("scan/" + row, "ms")); };
    std::printf("\nmedians; ms\n");
    medians.printTable("encoding", rows, {{"scan ms", "ms", 1, "scan/"}, {"switch ms", "ms", 1, "switch/"},
        {"switch / scan", [&](const std::string &row) { return figure(switchRatio(row), 2); }},
        {"longest gap ms", "longest_gap_ms", 1, "switch/"},
        {"<=1.2", [&](const std::string &row) { return verdict(switchRatio(row), RatioGoal); }},
        {"gap<=16ms", [&](const std::string &row) { return verdict(medians.median("switch/" + row, "longest_gap_ms"), GapGoalMs); }}});
    std::printf("hint: %s ms, %s\n", figure(medians.median("hint", "ms"), 2).c_str(),
                medians.median("hint", "utf8").value_or(0) == 1 ? "UTF-8 (right)" : "NOT UTF-8");
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Bench bench("switch_bench", setUp, report);
    bench.application = true;
    bench.repetitions = 3;
    return bench.run(argc, argv);
}
