#include "FileTextView.h"

#include "ClipboardCopy.h"
#include "FileText.h"
#include "TextNavigator.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>

// What the view gives of its selection: selectedText() at once, the
// clipboard and the X11 selection through ClipboardCopy, in steps.

QString FileTextView::selectedText() const
{
    return m_shown.navigator().plainText(selectionStart(), copyEnd());
}

// The end of what is copied of the selection.
BytePosition FileTextView::copyEnd() const
{
    const BytePosition from = selectionStart();
    return selectionEnd() - from > CopyLimit ? m_shown.navigator().positionNear(from + CopyLimit) : selectionEnd();
}

// Like a text box, without scrolling to the end.
void FileTextView::selectAll()
{
    m_cursor.preferredX.reset();
    select(BytePosition(0), m_shown.navigator().end());
}

void FileTextView::copy()
{
    copySelection(m_clipboardCopy);
}

void FileTextView::copySelection(ClipboardCopy *copy)
{
    if (!m_cursor.hasSelection())
        return;
    const BytePosition end = copyEnd();
    copy->start(m_shown.text(), selectionStart(), end);
    if (end < selectionEnd())
        emit copyCut(end - selectionStart());
}

void FileTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copyAction = menu.addAction(QCoreApplication::translate("QWidgetTextControl", "&Copy"), this, &FileTextView::copy);
    copyAction->setEnabled(m_cursor.hasSelection());
    menu.addSeparator();
    menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"), this, &FileTextView::selectAll);
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    menu.exec(event->globalPos());
}
