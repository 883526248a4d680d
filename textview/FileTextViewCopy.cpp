#include "FileTextView.h"

#include "ClipboardCopy.h"
#include "FileText.h"
#include "TextNavigator.h"


// What the view gives of its selection: selectedText() at once, the
// clipboard and the X11 selection through ClipboardCopy, in steps.

QString FileTextView::selectedText() const
{
    return m_shown.navigator().copiedText(selectionStart(), copyEnd());
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

void FileTextView::copyHex()
{
    copySelection(m_clipboardCopy, ClipboardCopy::Format::Hex);
}

void FileTextView::copySelection(ClipboardCopy *copy, ClipboardCopy::Format format)
{
    if (!m_cursor.hasSelection())
        return;
    const BytePosition end = copyEnd();
    copy->start(m_shown.text(), selectionStart(), end, format);
    if (end < selectionEnd())
        emit copyCut(end - selectionStart());
}
