#include "WindowRun.h"

#include "Bench.h"
#include "CommandLine.h"
#include "DumpEngine.h"
#include "EventLoopGaps.h"
#include "FakeDialogService.h"
#include "FileText.h"
#include "FileTextView.h"
#include "Form1.h"
#include "HexmothApplication.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <stdexcept>

namespace {

// From the window's first paint to the click: the rest of its start is over.
constexpr int SettleMs = 200;
constexpr int TimeoutMs = 15 * 60 * 1000;

// Form1 as the program shows it, telling when a run reaches its steps and
// adding up the window's times into `figures`. Every call is passed on to
// Form1 unchanged.
class ObservedForm : public Form1
{
public:
    // `size`: of the file the run will dump, so that the paint of its text
    // can be told from the paints of the empty Text2 before.
    ObservedForm(std::unique_ptr<DialogService> dialogs, qint64 size, WindowRun::Figures &figures)
        : Form1(std::move(dialogs)), m_size(size), m_figures(figures), m_text2(findChild<FileTextView *>(QStringLiteral("Text2")))
    {
        installEventFilter(this);
        m_text2->viewport()->installEventFilter(this);
    }

    std::function<void()> onShown = [] {};                             // the first paint is done
    std::function<void(const QString &)> onCaption = [](const QString &) {}; // Label1 shows it
    std::function<void()> onTextPainted = [] {};                       // Text2's paint of the whole text is done

    void setStatusCaption(const QString &caption) override
    {
        m_figures.captionMs += msOf([&] { Form1::setStatusCaption(caption); });
        onCaption(caption);
    }
    void handlePendingEvents() override { m_figures.eventsMs += msOf([this] { Form1::handlePendingEvents(); }); }
    void setDumpText(const QString &text) override { m_figures.dumpTextMs += msOf([&] { Form1::setDumpText(text); }); }

protected:
    // A timer of 0 ms fires once the paint under way, and the flush of the
    // window that follows it, are done.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool paint = event->type() == QEvent::Paint;
        if (paint && watched == this && !m_shown) {
            m_shown = true;
            QTimer::singleShot(0, this, [this] { onShown(); });
        } else if (paint && watched != this && !m_textPainted && m_text2->fileText() && m_text2->fileText()->size() == m_size) {
            m_textPainted = true;
            m_textPaint.start();
            QTimer::singleShot(0, this, [this] {
                m_figures.textPaintMs = double(m_textPaint.nsecsElapsed()) / 1e6;
                onTextPainted();
            });
        }
        return Form1::eventFilter(watched, event);
    }

private:
    qint64 m_size;
    WindowRun::Figures &m_figures;
    FileTextView *m_text2;
    bool m_shown = false;
    bool m_textPainted = false;
    QElapsedTimer m_textPaint;
};

// HexmothApplication as main() makes it.
std::unique_ptr<HexmothApplication> newApplication()
{
    static int argc = 1;
    static char name[] = "hexmoth";
    static char *argv[] = {name, nullptr};
    return std::make_unique<HexmothApplication>(argc, argv);
}

void click(const ObservedForm &form, const char *button)
{
    form.findChild<QPushButton *>(QLatin1String(button))->click();
}

// The form shown and the loop run, at most TimeoutMs; the loop's exit code.
int exec(QApplication &app, ObservedForm &form)
{
    QTimer::singleShot(TimeoutMs, &app, [] { QCoreApplication::exit(1); });
    form.show();
    return app.exec();
}

void check(const ObservedForm &form, const FakeDialogService &dialogs, qint64 size)
{
    const QString caption = form.findChild<QLabel *>(QStringLiteral("Label1"))->text();
    const QString text1 = form.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText().trimmed();
    const QString lastLine = text1.mid(text1.lastIndexOf(u'\n') + 1);
    const QString lastAddress = QString::number((size - 1) / 16 * 16, 16).toUpper().rightJustified(8, u'0');
    if (!dialogs.messages.isEmpty())
        throw std::runtime_error("the run showed a message: " + dialogs.messages.constLast().toStdString());
    if (caption != DumpEngine::progressCaption(QStringLiteral("実行終了"), size, size))
        throw std::runtime_error("the run ended with the caption " + caption.toStdString());
    if (!lastLine.startsWith(lastAddress + u'|'))
        throw std::runtime_error("Text1 ends with " + lastLine.toStdString());
}

} // namespace

WindowRun::Figures WindowRun::measure(const QString &path, qint64 size, qint64 startNs)
{
    const auto app = newApplication();
    auto dialogs = std::make_unique<FakeDialogService>();
    dialogs->chosenPath = path;
    const FakeDialogService &shown = *dialogs;
    Figures figures;
    ObservedForm form(std::move(dialogs), size, figures);
    EventLoopGaps gaps;
    form.onShown = [&] {
        figures.startUpMs = double(nowNs() - startNs) / 1e6;
        QTimer::singleShot(SettleMs, &form, [&] {
            gaps.start();
            click(form, "Command1");
            if (!shown.messages.isEmpty())
                QCoreApplication::exit(2); // Text2 will not show the whole file
        });
    };
    form.onCaption = [&](const QString &caption) {
        if (!caption.startsWith(QStringLiteral("実行終了")))
            return;
        figures.finalCaptionMs = gaps.elapsedMs(); // every block read
        gaps.mark();
    };
    form.onTextPainted = [&] {
        gaps.stop();
        figures.runMs = gaps.elapsedMs();
        QCoreApplication::quit();
    };
    const int status = exec(*app, form);
    figures.longestGapMs = gaps.longestMs();
    figures.longestGapEndedMs = gaps.longestEndedAtMs();
    figures.longestEndGapMs = gaps.longestAfterMarkMs();
    check(form, shown, size);
    if (status != 0)
        throw std::runtime_error("Text2 did not paint the file's text");
    return figures;
}

qint64 WindowRun::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

WindowRun::Stop WindowRun::measureStop(const QString &path, qint64 size)
{
    const auto app = newApplication();
    auto dialogs = std::make_unique<FakeDialogService>();
    dialogs->chosenPath = path;
    Figures figures;
    ObservedForm form(std::move(dialogs), size, figures);
    QElapsedTimer clicked;
    bool clickQueued = false;
    Stop stop;
    form.onShown = [&] {
        QTimer::singleShot(SettleMs, &form, [&] {
            click(form, "Command1");
            QCoreApplication::quit();
        });
    };
    form.onCaption = [&](const QString &caption) {
        if (!caption.startsWith(QStringLiteral("実行中 ")))
            stop.stopMs = clicked.isValid() ? double(clicked.nsecsElapsed()) / 1e6 : 0;
        else if (clickQueued)
            ++stop.blocksAfterClick;
        else if (caption.mid(4).section(u'/', 0, 0).toLongLong(nullptr, 16) > size / 2) {
            // Clicked as the block starts; the click is handled once it is read.
            clickQueued = true;
            stop.blocksAfterClick = 1;
            clicked.start();
            QTimer::singleShot(0, &form, [&] { click(form, "Command2"); });
        }
    };
    if (exec(*app, form) != 0 || !clicked.isValid())
        throw std::runtime_error("the run was not stopped halfway");
    return stop;
}

WindowRun::Open WindowRun::measureOpen(const QString &path, qint64 size, qint64 startNs)
{
    static int argc = 2;
    static QByteArray file = path.toLocal8Bit();
    static char name[] = "hexmoth";
    static char *argv[] = {name, file.data(), nullptr};
    HexmothApplication app(argc, argv);
    const CommandLine line = CommandLine::ofProcess(argc, argv);
    auto dialogs = std::make_unique<FakeDialogService>();
    const FakeDialogService &shown = *dialogs;
    Figures figures;
    ObservedForm form(std::move(dialogs), size, figures);
    qint64 paintNs = 0;
    qint64 captionNs = 0;
    Open open;
    const auto sincePaintMs = [&](qint64 ns) { return double(std::max<qint64>(ns - paintNs, 0)) / 1e6; };
    form.onShown = [&] {
        paintNs = nowNs();
        open.startUpMs = double(paintNs - startNs) / 1e6;
    };
    form.onCaption = [&](const QString &caption) {
        if (captionNs == 0)
            captionNs = nowNs();
        if (caption.startsWith(QStringLiteral("実行終了")))
            QTimer::singleShot(0, &form, [&] {
                open.finalCaptionMs = sincePaintMs(nowNs());
                QCoreApplication::quit();
            });
    };
    QTimer::singleShot(0, &form, [&] { form.openFile(line.file().value_or(QString())); });
    if (exec(app, form) != 0 || paintNs == 0)
        throw std::runtime_error("the window did not show the file");
    check(form, shown, size);
    open.firstCaptionMs = sincePaintMs(captionNs);
    return open;
}

WindowRun::Stall WindowRun::measureStall(const QString &path, qint64 size, int afterToldMs, bool close)
{
    const auto app = newApplication();
    auto dialogs = std::make_unique<FakeDialogService>();
    dialogs->chosenPath = path;
    Figures figures;
    ObservedForm form(std::move(dialogs), size, figures);
    EventLoopGaps gaps;
    QElapsedTimer acted;
    Stall stall;
    form.onShown = [&] {
        QTimer::singleShot(SettleMs, &form, [&] {
            gaps.start();
            click(form, "Command1");
            if (close)
                stall.closeMs = double(nowNs() - stall.closedAtNs) / 1e6;
            QCoreApplication::quit();
        });
    };
    form.onCaption = [&](const QString &caption) {
        if (caption == DumpEngine::WaitingCaption && stall.toldMs == 0) {
            stall.toldMs = gaps.elapsedMs();
            QTimer::singleShot(afterToldMs, &form, [&] {
                acted.start();
                stall.closedAtNs = nowNs();
                close ? void(form.close()) : click(form, "Command2");
            });
        } else if (caption.startsWith(QStringLiteral("実行終了"))) {
            stall.stopMs = acted.isValid() ? double(acted.nsecsElapsed()) / 1e6 : -1;
            gaps.stop();
            stall.longestGapMs = gaps.longestMs();
            stall.dumped = caption.mid(4).section(u'/', 0, 0).toLongLong(nullptr, 16);
        }
    };
    if (exec(*app, form) != 0 || !acted.isValid())
        throw std::runtime_error("the run did not stall, or was not stopped");
    return stall;
}
