#pragma once

#include "TextBoundaries.h"
#include "TextUnits.h"

#include <QAccessibleWidget>

class FileTextView;

// What screen readers see of a FileTextView: a read-only, multi-line text
// with a cursor and a selection (Qt's accessible text interface), the
// whole text as AccessibleText gives it, decoded only as it is read.
class FileTextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit FileTextViewAccessible(FileTextView *view);

    // Makes Qt use this class for every FileTextView; once is enough.
    static void install();
    // Tells an assistive tool, if one listens, where the cursor and the
    // selection are now.
    static void notifyCursorMoved(FileTextView *view);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int characterOffset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int characterOffset, int *startOffset, int *endOffset) const override;
    // Each from a few kilobytes around the offset (AccessibleText::item).
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const override;

private:
    FileTextView *view() const;
    int characterOffsetOf(BytePosition position) const;
    BytePosition positionOf(int characterOffset) const;
    QString itemText(int offset, QAccessible::TextBoundaryType type, TextBoundaries::Relation relation, int *startOffset, int *endOffset) const;
};
