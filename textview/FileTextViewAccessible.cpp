#include "FileTextViewAccessible.h"

#include "AccessibleText.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TextNavigator.h"

namespace {

QAccessibleInterface *createFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("FileTextView") && object && object->isWidgetType())
        return new FileTextViewAccessible(static_cast<FileTextView *>(object));
    return nullptr;
}

const FileText &textOf(const FileTextView *view)
{
    static const FileText empty;
    return view->fileText() ? *view->fileText() : empty;
}

} // namespace

FileTextViewAccessible::FileTextViewAccessible(FileTextView *view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{
}

void FileTextViewAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(createFor);
        return true;
    }();
    Q_UNUSED(installed);
}

void FileTextViewAccessible::notifyCursorMoved(FileTextView *view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(view);
    QAccessibleTextInterface *text = accessible ? accessible->textInterface() : nullptr;
    if (!text)
        return;
    QAccessibleTextCursorEvent cursorEvent(view, text->cursorPosition());
    QAccessible::updateAccessibility(&cursorEvent);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    QAccessibleTextSelectionEvent selectionEvent(view, start, end);
    QAccessible::updateAccessibility(&selectionEvent);
}

FileTextView *FileTextViewAccessible::view() const
{
    return static_cast<FileTextView *>(widget());
}

int FileTextViewAccessible::characterOffsetOf(BytePosition position) const
{
    const TextNavigator text(textOf(view()));
    return AccessibleText(text, view()->cursorPosition()).characterOffsetOf(position);
}

BytePosition FileTextViewAccessible::positionOf(int characterOffset) const
{
    const TextNavigator text(textOf(view()));
    return AccessibleText(text, view()->cursorPosition()).positionOf(characterOffset);
}

QAccessible::State FileTextViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    state.editable = false;
    return state;
}

QString FileTextViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return text(0, characterCount());
    return QAccessibleWidget::text(t);
}

void *FileTextViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void FileTextViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = characterOffsetOf(view()->selectionStart());
    *endOffset = characterOffsetOf(view()->selectionEnd());
}

int FileTextViewAccessible::selectionCount() const
{
    return view()->selectionStart() == view()->selectionEnd() ? 0 : 1;
}

void FileTextViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void FileTextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->setSelection(view()->cursorPosition(), view()->cursorPosition());
}

void FileTextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->setSelection(positionOf(startOffset), positionOf(endOffset));
}

int FileTextViewAccessible::cursorPosition() const
{
    return characterOffsetOf(view()->cursorPosition());
}

void FileTextViewAccessible::setCursorPosition(int position)
{
    const BytePosition at = positionOf(position);
    view()->setSelection(at, at);
}

QString FileTextViewAccessible::text(int startOffset, int endOffset) const
{
    const TextNavigator text(textOf(view()));
    return AccessibleText(text, view()->cursorPosition()).text(startOffset, endOffset);
}

int FileTextViewAccessible::characterCount() const
{
    const TextNavigator text(textOf(view()));
    return AccessibleText(text, view()->cursorPosition()).characterCount();
}

QRect FileTextViewAccessible::characterRect(int characterOffset) const
{
    const QRect rect = view()->positionRect(positionOf(characterOffset));
    return QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int FileTextViewAccessible::offsetAtPoint(const QPoint &point) const
{
    return characterOffsetOf(view()->positionAt(view()->viewport()->mapFromGlobal(point)));
}

void FileTextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->ensureVisible(positionOf(endIndex));
    view()->ensureVisible(positionOf(startIndex));
}

QString FileTextViewAccessible::attributes(int characterOffset, int *startOffset, int *endOffset) const
{
    Q_UNUSED(characterOffset);
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

QString FileTextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const
{
    return itemText(offset, boundaryType, TextBoundaries::Relation::Before, startOffset, endOffset);
}

QString FileTextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const
{
    return itemText(offset, boundaryType, TextBoundaries::Relation::After, startOffset, endOffset);
}

QString FileTextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const
{
    return itemText(offset, boundaryType, TextBoundaries::Relation::At, startOffset, endOffset);
}

QString FileTextViewAccessible::itemText(int offset, QAccessible::TextBoundaryType type, TextBoundaries::Relation relation, int *startOffset,
                                         int *endOffset) const
{
    const TextNavigator text(textOf(view()));
    AccessibleText::Item item = AccessibleText(text, view()->cursorPosition()).item(offset, type, relation);
    *startOffset = item.start;
    *endOffset = item.end;
    return std::move(item.text);
}
