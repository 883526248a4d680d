#include "WindowRun.h"

#include "DumpEngine.h"
#include "EventLoopGaps.h"
#include "FakeDialogService.h"
#include "HexmothApplication.h"
#include "ObservedForm.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

// From the window's first paint to the click: the rest of its start is over.
constexpr int SettleMs = 200;
constexpr int TimeoutMs = 15 * 60 * 1000;

const std::pair<const char *, double WindowRun::Figures::*> Times[] = {
    {"start_up_ms", &WindowRun::Figures::startUpMs},
    {"run_ms", &WindowRun::Figures::runMs},
    {"final_caption_ms", &WindowRun::Figures::finalCaptionMs},
    {"returned_ms", &WindowRun::Figures::returnedMs},
    {"caption_ms", &WindowRun::Figures::captionMs},
    {"events_ms", &WindowRun::Figures::eventsMs},
    {"dump_text_ms", &WindowRun::Figures::dumpTextMs},
    {"file_text_ms", &WindowRun::Figures::fileTextMs},
    {"text_paint_ms", &WindowRun::Figures::textPaintMs},
    {"longest_gap_ms", &WindowRun::Figures::longestGapMs},
    {"longest_gap_ended_ms", &WindowRun::Figures::longestGapEndedMs},
    {"longest_end_gap_ms", &WindowRun::Figures::longestEndGapMs},
};

QString lastLine(const QString &text)
{
    const QString trimmed = text.trimmed();
    return trimmed.mid(trimmed.lastIndexOf(u'\n') + 1).remove(u'\r');
}

void check(const WindowRun::Figures &figures, const FakeDialogService &dialogs, qint64 size)
{
    if (!dialogs.messages.isEmpty())
        throw std::runtime_error("the run showed a message: " + dialogs.messages.constLast().toStdString());
    if (figures.caption != DumpEngine::progressCaption(QStringLiteral("実行終了"), size, size))
        throw std::runtime_error("the run ended with the caption " + figures.caption.toStdString());
    if (!figures.lastAddressLine.startsWith(WindowRun::lastAddress(size) + u'|'))
        throw std::runtime_error("Text1 ends with " + figures.lastAddressLine.toStdString());
}

} // namespace

WindowRun::Figures WindowRun::measure(const QString &path, qint64 size, qint64 startNs)
{
    static int argc = 1;
    static char name[] = "hexmoth";
    static char *argv[] = {name, nullptr};
    HexmothApplication app(argc, argv);
    auto dialogs = std::make_unique<FakeDialogService>();
    dialogs->chosenPath = path;
    const FakeDialogService &shown = *dialogs;
    ObservedForm form(std::move(dialogs), size);
    EventLoopGaps gaps;
    Figures figures;
    form.onShown = [&] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        figures.startUpMs = double(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - startNs) / 1e6;
        QTimer::singleShot(SettleMs, &form, [&] {
            gaps.start();
            form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
            figures.returnedMs = gaps.elapsedMs();
            if (!shown.messages.isEmpty())
                QCoreApplication::exit(2); // Text2 will not show the whole file
        });
    };
    form.onFinalCaption = [&] {
        figures.finalCaptionMs = gaps.elapsedMs();
        gaps.mark();
    };
    form.onTextPainted = [&] {
        gaps.stop();
        figures.runMs = gaps.elapsedMs();
        QCoreApplication::quit();
    };
    QTimer::singleShot(TimeoutMs, &app, [] { QCoreApplication::exit(1); });
    form.show();
    const int status = app.exec();
    figures.longestGapMs = gaps.longestMs();
    figures.longestGapEndedMs = gaps.longestEndedAtMs();
    figures.longestEndGapMs = gaps.longestAfterMarkMs();
    figures.ticks = gaps.ticks();
    figures.captionMs = form.captionMs();
    figures.eventsMs = form.eventsMs();
    figures.dumpTextMs = form.dumpTextMs();
    figures.fileTextMs = form.fileTextMs();
    figures.textPaintMs = form.textPaintMs();
    figures.caption = form.findChild<QLabel *>(QStringLiteral("Label1"))->text();
    figures.lastAddressLine = lastLine(form.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText());
    check(figures, shown, size);
    if (status != 0)
        throw std::runtime_error("Text2 did not paint the file's text");
    return figures;
}

QString WindowRun::lastAddress(qint64 size)
{
    return QString::number((size - 1) / 16 * 16, 16).toUpper().rightJustified(8, u'0');
}

std::string WindowRun::toReport(const Figures &figures)
{
    QByteArray report;
    for (const auto &[key, member] : Times)
        report += QByteArray(key) + '=' + QByteArray::number(figures.*member, 'g', 17) + '\n';
    report += "ticks=" + QByteArray::number(figures.ticks) + '\n';
    report += "caption=" + figures.caption.toUtf8() + '\n';
    report += "last_address_line=" + figures.lastAddressLine.toUtf8() + '\n';
    return report.toStdString();
}

WindowRun::Figures WindowRun::fromReport(const std::string &report)
{
    QHash<QByteArray, QByteArray> values;
    for (const QByteArray &line : QByteArray::fromStdString(report).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    if (!values.contains("run_ms") || !values.contains("last_address_line"))
        throw std::runtime_error("the window run reported nothing usable");
    Figures figures;
    for (const auto &[key, member] : Times)
        figures.*member = values.value(key).toDouble();
    figures.ticks = values.value("ticks").toLongLong();
    figures.caption = QString::fromUtf8(values.value("caption"));
    figures.lastAddressLine = QString::fromUtf8(values.value("last_address_line"));
    return figures;
}

WindowRun::Stop WindowRun::measureStop(const QString &path, qint64 size)
{
    static int argc = 1;
    static char name[] = "hexmoth";
    static char *argv[] = {name, nullptr};
    HexmothApplication app(argc, argv);
    auto dialogs = std::make_unique<FakeDialogService>();
    dialogs->chosenPath = path;
    ObservedForm form(std::move(dialogs), size);
    QElapsedTimer clicked;
    bool clickQueued = false;
    Stop stop;
    form.onShown = [&] {
        QTimer::singleShot(SettleMs, &form, [&] {
            form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
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
            QTimer::singleShot(0, &form, [&] { form.findChild<QPushButton *>(QStringLiteral("Command2"))->click(); });
        }
    };
    QTimer::singleShot(TimeoutMs, &app, [] { QCoreApplication::exit(1); });
    form.show();
    if (app.exec() != 0 || !clicked.isValid())
        throw std::runtime_error("the run was not stopped halfway");
    return stop;
}

std::string WindowRun::toReport(const Stop &stop)
{
    return std::string(reinterpret_cast<const char *>(&stop), sizeof stop);
}

WindowRun::Stop WindowRun::stopFromReport(const std::string &report)
{
    Stop stop;
    if (report.size() != sizeof stop)
        throw std::runtime_error("the stopped run reported nothing usable");
    std::memcpy(&stop, report.data(), sizeof stop);
    return stop;
}
