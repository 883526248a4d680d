#pragma once

#include "CellFont.h"
#include "ScrollScale.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <memory>
#include <vector>

class ClipboardCopy;
class FileText;
class TextNavigator;

// A read-only, multi-line view of a FileText of any size, with both scroll
// bars and no wrapping.
//
// Nothing is laid out ahead: each paint reads only the lines and columns on
// screen, through the text's line index. Characters sit in a grid of cells
// (see CellFont): column c of a line is its byte c, so a line of gigabytes
// scrolls to its very end without measuring what is before. Scroll bars
// past the range of an int map to lines and columns proportionally.
//
// Positions (cursor, anchor) are byte offsets of the text that start a
// character. The selection can be made with the mouse and the keys, and
// copied (Ctrl+C, and on release of the mouse to the X11 selection) up to
// CopyLimit bytes; what is beyond is left out, so that a copy's memory stays
// small beside the text's. A long copy is decoded in steps (ClipboardCopy),
// so the window never stalls. Typing does nothing: key presses that do not
// move, select or copy go on to the parent.
class FileTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // The most bytes copied or returned by selectedText().
    static constexpr qint64 CopyLimit = qint64(16) << 20;

    explicit FileTextView(QWidget *parent = nullptr);
    ~FileTextView() override;

    // Shows `text` from its start, the cursor at 0 and nothing selected.
    // O(1): nothing of the text is read until it is painted.
    void setFileText(std::shared_ptr<const FileText> text);
    std::shared_ptr<const FileText> fileText() const { return m_text; }

    qint64 cursorPosition() const { return m_cursor; }
    qint64 selectionStart() const { return std::min(m_anchor, m_cursor); }
    qint64 selectionEnd() const { return std::max(m_anchor, m_cursor); }
    // Both are moved back to positions within the text.
    void setSelection(qint64 anchor, qint64 cursor);
    // The selected characters, at most CopyLimit bytes of them, every line
    // break as one LF (TextNavigator::plainText), at once.
    QString selectedText() const;

    qint64 firstVisibleLine() const { return m_firstLine; }
    qint64 firstVisibleColumn() const { return m_firstColumn; }
    // The characters shown on each row, as painted (cut to the visible
    // columns; a tab and a control character as themselves).
    QStringList visibleRows() const;
    // Rows and columns that fit whole in the viewport (at least one).
    qint64 pageRows() const;
    qint64 pageColumns() const;
    // Scrolls as little as needed to show `position`.
    void ensureVisible(qint64 position);
    // The position nearest to a point of the viewport; rows above or below
    // the text give its first or last line.
    qint64 positionAt(const QPoint &point) const;
    // The cells of the character at `position` (one cell at a line's end),
    // in viewport coordinates.
    QRect positionRect(qint64 position) const;

public slots:
    void selectAll();
    void copy();

signals:
    void selectionChanged();
    // The clipboard holds what copy() was asked to put there.
    void copied();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    enum class Move { NextChar, PreviousChar, NextLine, PreviousLine, StartOfLine, EndOfLine, StartOfText, EndOfText, NextPage, PreviousPage };

    TextNavigator navigator() const;
    bool moveByKey(QKeyEvent *event);
    qint64 positionFor(Move what, bool select);
    qint64 positionOnLine(qint64 line) const;
    void moveCursor(qint64 position, bool keepAnchor);
    void select(qint64 anchor, qint64 cursor);
    void scrollTo(qint64 line, qint64 column);
    void updateScrollBars();
    void autoScroll(const QPoint &point);
    void copySelection(ClipboardCopy *copy) const;
    qint64 copyEnd() const;
    void notifyCursorMoved();

    std::shared_ptr<const FileText> m_text;
    std::shared_ptr<const FileText> m_emptyText;
    CellFont m_cells;
    ScrollScale m_lineScale;
    ScrollScale m_columnScale;
    qint64 m_firstLine = 0;
    qint64 m_firstColumn = 0;
    qint64 m_anchor = 0;
    qint64 m_cursor = 0;
    qint64 m_preferredColumn = -1; // kept by up and down moves
    bool m_settingBars = false;
    bool m_selectingWithMouse = false;
    QPoint m_lastMousePoint;
    QBasicTimer m_autoScrollTimer;
    ClipboardCopy *m_clipboardCopy;
    ClipboardCopy *m_selectionCopy;
};
