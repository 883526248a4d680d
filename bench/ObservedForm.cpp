#include "ObservedForm.h"

#include "Bench.h"
#include "FileText.h"
#include "FileTextView.h"

#include <QEvent>
#include <QTimer>

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
    m_times.captionMs += msOf([&] { Form1::setStatusCaption(caption); });
    onCaption(caption);
    if (caption.startsWith(QStringLiteral("実行終了")))
        onFinalCaption();
}

void ObservedForm::handlePendingEvents()
{
    m_times.eventsMs += msOf([this] { Form1::handlePendingEvents(); });
}

void ObservedForm::setDumpText(const QString &text)
{
    m_times.dumpTextMs += msOf([&] { Form1::setDumpText(text); });
}

// A timer of 0 ms fires once the paint under way, and the flush of the
// window that follows it, are done.
bool ObservedForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == this && !m_shown) {
        m_shown = true;
        QTimer::singleShot(0, this, [this] { onShown(); });
    } else if (event->type() == QEvent::Paint && watched != this && !m_textPainted && isWholeTextShown()) {
        m_textPainted = true;
        m_textPaint.start();
        QTimer::singleShot(0, this, [this] {
            m_times.textPaintMs = double(m_textPaint.nsecsElapsed()) / 1e6;
            onTextPainted();
        });
    }
    return Form1::eventFilter(watched, event);
}

bool ObservedForm::isWholeTextShown() const
{
    return m_text2->fileText() && m_text2->fileText()->size() == m_fileSize;
}
