#include "ObservedForm.h"

#include "FileText.h"
#include "FileTextView.h"

#include <QEvent>
#include <QTimer>

namespace {

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

ObservedForm::ObservedForm(std::unique_ptr<DialogService> dialogs, qint64 fileSize)
    : Form1(std::move(dialogs))
    , m_fileSize(fileSize)
    , m_text2(findChild<FileTextView *>(QStringLiteral("Text2")))
{
    installEventFilter(this);
    m_text2->viewport()->installEventFilter(this);
}

void ObservedForm::setStatusCaption(const QString &caption)
{
    QElapsedTimer clock;
    clock.start();
    Form1::setStatusCaption(caption);
    m_captionMs += msSince(clock);
    if (onCaption)
        onCaption(caption);
    if (caption.startsWith(QStringLiteral("実行終了")) && onFinalCaption)
        onFinalCaption();
}

void ObservedForm::handlePendingEvents()
{
    QElapsedTimer clock;
    clock.start();
    Form1::handlePendingEvents();
    m_eventsMs += msSince(clock);
}

void ObservedForm::setDumpText(const QString &text)
{
    QElapsedTimer clock;
    clock.start();
    Form1::setDumpText(text);
    m_dumpTextMs += msSince(clock);
}

void ObservedForm::setFileText(std::shared_ptr<const FileText> text)
{
    QElapsedTimer clock;
    clock.start();
    Form1::setFileText(std::move(text));
    m_fileTextMs += msSince(clock);
}

bool ObservedForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint)
        return Form1::eventFilter(watched, event);
    if (watched == this && !m_shown) {
        m_shown = true;
        afterThisPaint(onShown);
    } else if (watched != this && !m_textPainted && isWholeTextShown()) {
        m_textPainted = true;
        m_textPaint.start();
        afterThisPaint([this] {
            m_textPaintMs = msSince(m_textPaint);
            if (onTextPainted)
                onTextPainted();
        });
    }
    return Form1::eventFilter(watched, event);
}

bool ObservedForm::isWholeTextShown() const
{
    return m_text2->fileText() && m_text2->fileText()->size() == m_fileSize;
}

// Runs `then` once the paint under way, and the flush of the window that
// follows it, are done.
void ObservedForm::afterThisPaint(std::function<void()> then)
{
    QTimer::singleShot(0, this, [then = std::move(then)] {
        if (then)
            then();
    });
}
