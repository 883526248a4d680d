// What the file's text view (FileTextView) must meet, on texts shown as the
// program shows them (ViewText), in an 800x600 view in the window's font,
// with QPlainTextEdit beside it at 1 MB (it lays out every line at once):
//
//   build       the FileText made as a run makes it, in 1 MiB blocks, MB/s
//   show        setFileText and the first paint
//   scrollToEnd both scroll bars to their maximum, then a paint
//   jump        setSelection at the end of the longest line and a paint,
//               just after show (first_ms) and after scrolling back to the
//               start (again_ms); in_view: that end is then in the viewport
//   caretInfo   with the caret's info line shown: a Right key in the middle of
//               the text and the paint of the view (caret_ms), go to an
//               address three quarters in, through the bar (goTo_ms), and
//               the info line's own text for the caret or the whole text
//               selected, the longer (info_ms)
//   reader      the slowest of a screen reader's queries: the character,
//               word, sentence, line and paragraph at, before and after
//               offsets 0, past the first MiB, the middle, the end - 1 and
//               the end (slowest_ms)
//
//   build-bench/bench/fileview_bench                            # 1 MB and 256 MiB
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/fileview_bench  # 1 MB and 16 MiB, a quick run
//   HEXMOTH_BENCH_HUGE=1 build-bench/bench/fileview_bench       # and 5 GiB
//   build-bench/bench/fileview_bench --benchmark_filter=FileTextView  # without the peer

#include "Bench.h"
#include "CharacterDescriber.h"
#include "FileText.h"
#include "FileTextView.h"
#include "GoToAddressBar.h"
#include "HexAddress.h"
#include "ViewText.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace {

constexpr double FrameGoalMs = 16;
constexpr double LongLineJumpGoalMs = 100;
constexpr qint64 LongLine = 100000000;
constexpr double IndexGoalPercent = 1;
constexpr double InfoLineGoalMs = 1;
constexpr double ReaderGoalMs = 10;

using Text = ViewText;
constexpr qint64 Huge = Text::HugeLength;
std::vector<std::unique_ptr<Text>> texts;

void setTime(benchmark::State &state, double ms)
{
    state.SetIterationTime(ms / 1000);
    state.counters["ms"] = ms;
}

// A widget of the window's size and font for the text, shown.
template<typename Widget>
Widget *shownWidget(Widget *widget)
{
    widget->setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    widget->resize(800, 600);
    widget->show();
    QApplication::processEvents();
    return widget;
}

FileTextView &view()
{
    static FileTextView *view = shownWidget(new FileTextView);
    return *view;
}

QPlainTextEdit &peer()
{
    static QPlainTextEdit *edit = [] {
        auto *e = new QPlainTextEdit;
        e->setReadOnly(true);
        e->setLineWrapMode(QPlainTextEdit::NoWrap);
        return shownWidget(e);
    }();
    return *edit;
}

// A synchronous paint of the view, timed into the text's longest.
void paint(Text &text, const char *step)
{
    text.notePaint(msOf([] { view().viewport()->repaint(); }), step);
}

// The peer changed by `change`, then painted: the time of both.
template<typename Change>
double peerMs(Change change)
{
    return msOf([&] {
        change();
        peer().viewport()->repaint();
    });
}

// The view emptied, then the text shown: the time of the showing.
double showFromStart(Text &text)
{
    view().setFileText(nullptr);
    view().viewport()->repaint();
    const auto &fileText = text.built();
    return msOf([&] {
        view().setFileText(fileText);
        paint(text, "show");
    });
}

void setBars(QAbstractScrollArea &area, bool toEnd)
{
    area.verticalScrollBar()->setValue(toEnd ? area.verticalScrollBar()->maximum() : 0);
    area.horizontalScrollBar()->setValue(toEnd ? area.horizontalScrollBar()->maximum() : 0);
}

double jumpToLongestLineEnd(Text &text, const char *step)
{
    return msOf([&] {
        view().setSelection(text.longestLineEnd(), text.longestLineEnd());
        paint(text, step);
    });
}

// Caret moves, go to and the info line, at three quarters or the
// middle of the text, after a show.
void caretInfo(benchmark::State &state, Text &text)
{
    showFromStart(text);
    const qint64 size = text.built()->size();
    view().setSelection(BytePosition(size / 2), BytePosition(size / 2));
    view().repaint();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    const double caret = msOf([&] {
        QApplication::sendEvent(&view(), &right);
        view().repaint();
    });
    auto *bar = view().findChild<GoToAddressBar *>();
    bar->open();
    bar->findChild<QLineEdit *>()->setText(formatAddress(size / 4 * 3 + 1));
    const double goTo = msOf([&] {
        bar->go();
        view().repaint();
    });
    const CharacterDescriber describer(*text.built());
    const BytePosition at = view().cursorPosition();
    const double infoLineMs = std::max(msOf([&] { benchmark::DoNotOptimize(describer.describe(at, at)); }),
                                        msOf([&] { benchmark::DoNotOptimize(describer.describe(BytePosition(0), BytePosition(size))); }));
    setTime(state, caret);
    state.counters.insert({{"caret_ms", caret}, {"goTo_ms", goTo}, {"info_ms", infoLineMs}});
}

// The slowest answer to a screen reader, of every kind, anywhere.
double slowestReaderQuery()
{
    QAccessibleTextInterface *reader = QAccessible::queryAccessibleInterface(&view())->textInterface();
    const int count = reader->characterCount();
    double slowest = 0;
    for (const int offset : {0, 1100000, count / 2, count - 1, count}) {
        for (const auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                                QAccessible::LineBoundary, QAccessible::ParagraphBoundary}) {
            int start = 0, end = 0;
            slowest = std::max({slowest, msOf([&] { reader->textAtOffset(offset, type, &start, &end); }),
                                msOf([&] { reader->textBeforeOffset(offset, type, &start, &end); }),
                                msOf([&] { reader->textAfterOffset(offset, type, &start, &end); })});
        }
    }
    return slowest;
}

void addViewCases(Bench &bench, Text &text, int repetitions)
{
    bench.add("build/" + text.name(), [&text](benchmark::State &state) {
        text.keep(nullptr);
        std::shared_ptr<const FileText> made;
        const double ms = msOf([&] { made = text.build(); });
        const TextIndex &index = made->index();
        setTime(state, ms);
        state.counters["MB/s"] = double(text.length()) / 1e6 / ms * 1000;
        state.counters["index_B"] = double(index.lines().memoryBytes() + index.characters().memoryBytes());
        state.counters["index_%"] = 100 * state.counters["index_B"] / double(text.length());
        text.keep(std::move(made));
    }, text.length() == Huge ? 1 : 3);
    bench.add("FileTextView/show/" + text.name(), [&text](benchmark::State &state) { setTime(state, showFromStart(text)); }, repetitions);
    bench.add("FileTextView/scrollToEnd/" + text.name(), [&text](benchmark::State &state) {
        showFromStart(text);
        setTime(state, msOf([&] {
            setBars(view(), true);
            paint(text, "toEnd");
        }));
    }, repetitions);
    bench.add("FileTextView/jump/" + text.name(), [&text](benchmark::State &state) {
        showFromStart(text);
        const double first = jumpToLongestLineEnd(text, "jump1st");
        setBars(view(), false);
        view().viewport()->repaint();
        const double again = jumpToLongestLineEnd(text, "jump2");
        const QRect end = view().positionRect(text.longestLineEnd());
        setTime(state, first);
        state.counters.insert({{"in_view", view().viewport()->rect().intersects(end) ? 1 : 0}, {"end_x", end.x()},
                               {"first_ms", first}, {"again_ms", again}});
    }, repetitions);
    bench.add("FileTextView/caretInfo/" + text.name(), [&text](benchmark::State &state) { caretInfo(state, text); }, repetitions);
    bench.add("FileTextView/reader/" + text.name(), [&text](benchmark::State &state) {
        showFromStart(text);
        const double slowest = slowestReaderQuery();
        setTime(state, slowest);
        state.counters["slowest_ms"] = slowest;
    }, repetitions);
}

void addPeerCases(Bench &bench, Text &text)
{
    bench.add("QPlainTextEdit/show/" + text.name(), [&text](benchmark::State &state) {
        const QString decoded = text.built()->toString();
        peerMs([] { peer().clear(); });
        setTime(state, peerMs([&] { peer().setPlainText(decoded); }));
    }, 3);
    bench.add("QPlainTextEdit/scrollToEnd/" + text.name(), [&text](benchmark::State &state) {
        peer().setPlainText(text.built()->toString());
        peerMs([] { setBars(peer(), false); });
        setTime(state, peerMs([] { setBars(peer(), true); }));
        peer().clear();
    }, 3);
}

const Text &named(const std::string &name)
{
    return **std::find_if(texts.begin(), texts.end(), [&](const auto &text) { return text->name() == name; });
}

// Every show, scroll, jump, caret move and go to within a frame, but the
// first jump to the end of a long line within LongLineJumpGoalMs.
const char *timeVerdict(const MedianReporter &medians, const std::string &row)
{
    const auto value = [&](const std::string &what, const char *counter) { return medians.median("FileTextView/" + what + row, counter); };
    const auto show = value("show/", "ms"), toEnd = value("scrollToEnd/", "ms");
    const auto first = value("jump/", "first_ms"), again = value("jump/", "again_ms");
    const auto caret = value("caretInfo/", "caret_ms"), goTo = value("caretInfo/", "goTo_ms");
    const double firstGoal = named(row).longestLineLength() > LongLine ? LongLineJumpGoalMs : FrameGoalMs;
    const bool known = show && toEnd && first && again && caret && goTo;
    return verdict(known, known && std::max({*show, *toEnd, *again, *caret, *goTo}) <= FrameGoalMs && *first <= firstGoal);
}

void printTable(const MedianReporter &medians)
{
    std::vector<std::string> rows;
    for (const auto &text : texts)
        rows.push_back(text->name());
    const auto peerRatio = [&](const std::string &what, int decimals) {
        return [&medians, what, decimals](const std::string &row) {
            return figure(ratio(medians.median("QPlainTextEdit/" + what + row, "ms"), medians.median("FileTextView/" + what + row, "ms")), decimals);
        };
    };
    medians.printTable("text", rows, {{"build", "MB/s", 0, "build/"}, {"show", "ms", 2, "FileTextView/show/"},
        {"toEnd", "ms", 2, "FileTextView/scrollToEnd/"}, {"jump1st", "first_ms", 2, "FileTextView/jump/"},
        {"jump2", "again_ms", 2, "FileTextView/jump/"}, {"caret", "caret_ms", 2, "FileTextView/caretInfo/"},
        {"goTo", "goTo_ms", 2, "FileTextView/caretInfo/"}, {"info", "info_ms", 3, "FileTextView/caretInfo/"},
        {"reader", "slowest_ms", 2, "FileTextView/reader/"},
        {"paint", [](const std::string &row) { return named(row).kept() ? figure(named(row).longestPaintMs(), 2) : "n/a"; }},
        {"index B", "index_B", 0, "build/"}, {"index%", "index_%", 3, "build/"},
        {"p.show", "ms", 1, "QPlainTextEdit/show/"}, {"p.toEnd", "ms", 2, "QPlainTextEdit/scrollToEnd/"},
        {"r.show", peerRatio("show/", 0)}, {"r.toEnd", peerRatio("scrollToEnd/", 1)},
        {"<=16ms", [&](const std::string &row) { return timeVerdict(medians, row); }},
        {"info<=1ms", [&](const std::string &row) { return verdict(medians.median("FileTextView/caretInfo/" + row, "info_ms"), InfoLineGoalMs); }},
        {"index<=1%", [&](const std::string &row) { return verdict(medians.median("build/" + row, "index_%"), IndexGoalPercent); }},
        {"reader<=10ms", [&](const std::string &row) { return verdict(medians.median("FileTextView/reader/" + row, "slowest_ms"), ReaderGoalMs); }}});
}

void report(Bench &bench)
{
    const MedianReporter &medians = bench.medians();
    std::printf("\nmedians; times in ms; build in MB/s; index in bytes and %% of the text;"
                " peer = QPlainTextEdit (1 MB only), ratio = peer / ours:\n");
    printTable(medians);
    std::printf("goals: show, scroll to end, jump, caret move and go to <= %.0f ms, the first jump to the end of a line over 100 MB"
                " <= %.0f ms; the info line <= %.0f ms; index <= %.0f %% of the text; a screen reader's slowest query"
                " <= %.0f ms. Longest lines, bytes, and where the longest paint was:\n",
                FrameGoalMs, LongLineJumpGoalMs, InfoLineGoalMs, IndexGoalPercent, ReaderGoalMs);
    for (const auto &text : texts) {
        const auto inView = medians.median("FileTextView/jump/" + text->name(), "in_view");
        if (text->kept())
            std::printf("  %s %lld %s\n", text->name().c_str(), (long long)text->longestLineLength(), text->longestPaintStep().c_str());
        if (inView && *inView < 1)
            std::printf("  %s: after the jump, positionRect() of the line's end is not in the viewport: x = %s\n", text->name().c_str(),
                        figure(medians.median("FileTextView/jump/" + text->name(), "end_x"), 0).c_str());
    }
}

void addText(Bench &bench, const std::string &shape, const std::string &size, qint64 length)
{
    texts.push_back(std::make_unique<Text>(bench.files(), shape, size, length, view().textMetrics()));
    addViewCases(bench, *texts.back(), length == Huge ? 3 : 5);
    if (length <= Text::CopiedLength)
        addPeerCases(bench, *texts.back());
}

void setUp(Bench &bench)
{
    for (const std::string shape : {"lines", "binary"}) {
        addText(bench, shape, "1MB", Text::CopiedLength);
        addText(bench, shape, Bench::sizeName(bench.fileSize()), bench.fileSize());
    }
    if (Bench::flag("HEXMOTH_BENCH_HUGE"))
        for (const std::string shape : {"lines", "binary"})
            addText(bench, shape, "5GiB", Huge);
    std::printf("display %s (platform %s); view %d x %d pixels (viewport %d x %d), font %s %d pt; texts in %s; 5 GiB texts %s\n",
                qPrintable(bench.displayDescription()), qPrintable(QGuiApplication::platformName()), view().width(),
                view().height(), view().viewport()->width(), view().viewport()->height(), qPrintable(view().font().family()),
                view().font().pointSize(), qPrintable(bench.files().folder()), texts.back()->length() == Huge ? "on" : "off (HEXMOTH_BENCH_HUGE=1)");
}

} // namespace

int main(int argc, char **argv)
{
    Bench bench("fileview_bench", setUp, report);
    bench.application = true;
    return bench.run(argc, argv);
}
