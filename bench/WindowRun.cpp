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

// Cut to fit `into`, at a character boundary.
template<std::size_t N>
void copyText(char (&into)[N], QString text)
{
    QByteArray bytes = text.toUtf8();
    for (; bytes.size() >= qsizetype(N); bytes = text.toUtf8())
        text.chop(1);
    std::memcpy(into, bytes.constData(), std::size_t(bytes.size()));
}

// HexmothApplication as main() makes it.
std::unique_ptr<HexmothApplication> newApplication()
{
    static int argc = 1;
    static char name[] = "hexmoth";
    static char *argv[] = {name, nullptr};
    return std::make_unique<HexmothApplication>(argc, argv);
}

QString lastLine(const QString &text)
{
    const QString trimmed = text.trimmed();
    return trimmed.mid(trimmed.lastIndexOf(u'\n') + 1).remove(u'\r');
}

void check(const WindowRun::Figures &figures, const FakeDialogService &dialogs, qint64 size)
{
    if (!dialogs.messages.isEmpty())
        throw std::runtime_error("the run showed a message: " + dialogs.messages.constLast().toStdString());
    if (QString::fromUtf8(figures.caption) != DumpEngine::progressCaption(QStringLiteral("実行終了"), size, size))
        throw std::runtime_error(std::string("the run ended with the caption ") + figures.caption);
    if (!QString::fromUtf8(figures.lastAddressLine).startsWith(WindowRun::lastAddress(size) + u'|'))
        throw std::runtime_error(std::string("Text1 ends with ") + figures.lastAddressLine);
}

} // namespace

WindowRun::Figures WindowRun::measure(const QString &path, qint64 size, qint64 startNs)
{
    const auto app = newApplication();
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
    QTimer::singleShot(TimeoutMs, app.get(), [] { QCoreApplication::exit(1); });
    form.show();
    const int status = app->exec();
    figures.longestGapMs = gaps.longestMs();
    figures.longestGapEndedMs = gaps.longestEndedAtMs();
    figures.longestEndGapMs = gaps.longestAfterMarkMs();
    figures.captionMs = form.captionMs();
    figures.eventsMs = form.eventsMs();
    figures.dumpTextMs = form.dumpTextMs();
    figures.fileTextMs = form.fileTextMs();
    figures.textPaintMs = form.textPaintMs();
    copyText(figures.caption, form.findChild<QLabel *>(QStringLiteral("Label1"))->text());
    copyText(figures.lastAddressLine, lastLine(form.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText()));
    check(figures, shown, size);
    if (status != 0)
        throw std::runtime_error("Text2 did not paint the file's text");
    return figures;
}

QString WindowRun::lastAddress(qint64 size)
{
    return QString::number((size - 1) / 16 * 16, 16).toUpper().rightJustified(8, u'0');
}

WindowRun::Stop WindowRun::measureStop(const QString &path, qint64 size)
{
    const auto app = newApplication();
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
    QTimer::singleShot(TimeoutMs, app.get(), [] { QCoreApplication::exit(1); });
    form.show();
    if (app->exec() != 0 || !clicked.isValid())
        throw std::runtime_error("the run was not stopped halfway");
    return stop;
}
