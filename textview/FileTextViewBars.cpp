#include "FileTextView.h"

#include "NoticeBar.h"

#include <QEvent>
#include <algorithm>

// The lines around the text: the notice line above it, the bars below it.

void FileTextView::setNotice(const QString &notice, QAction *offer)
{
    setNotice(notice, offer ? QList<QAction *>{offer} : QList<QAction *>{});
}

void FileTextView::setNotice(const QString &notice, const QList<QAction *> &offers)
{
    m_notice->say(notice, offers);
    placeBars();
    updateScrollBars();
}

QString FileTextView::notice() const
{
    return m_notice->notice();
}

void FileTextView::showFile(const QString &name, const QString &path)
{
    m_notice->showFile(name, path);
    placeBars();
    updateScrollBars();
}

QString FileTextView::shownFileName() const
{
    return m_notice->fileName();
}

void FileTextView::addBottomBar(QWidget *bar)
{
    bar->setParent(this);
    bar->installEventFilter(this);
    m_bottomBars.push_back(bar);
    placeBars();
}

bool FileTextView::eventFilter(QObject *watched, QEvent *event)
{
    const bool resized = event->type() == QEvent::Show || event->type() == QEvent::Hide
        || event->type() == QEvent::LayoutRequest;
    if (resized && std::find(m_bottomBars.begin(), m_bottomBars.end(), watched) != m_bottomBars.end()) {
        // A bar's contents change often (progress, the caret's bytes); the
        // text is laid out and painted again only when the bars' height does.
        const QMargins before = viewportMargins();
        placeBars();
        if (viewportMargins() != before)
            updateScrollBars();
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void FileTextView::placeBars()
{
    const int top = m_notice->heightInView();
    int bottom = 0;
    for (QWidget *bar : m_bottomBars)
        bottom += bar->isHidden() ? 0 : bar->sizeHint().height();
    setViewportMargins(0, top, 0, bottom);
    m_notice->setGeometry(frameWidth(), frameWidth(), width() - 2 * frameWidth(), top);
    const QRect text = viewport()->geometry();
    int y = text.bottom() + 1;
    for (QWidget *bar : m_bottomBars) {
        if (bar->isHidden())
            continue;
        const int height = bar->sizeHint().height();
        bar->setGeometry(text.left(), y, text.width(), height);
        y += height;
    }
}
