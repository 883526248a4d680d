#include "FileTextView.h"

#include "ClipboardCopy.h"
#include "FileText.h"
#include "FileTextViewAccessible.h"
#include "TextNavigator.h"
#include "TextRowPainter.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace {

constexpr int AutoScrollInterval = 50; // ms

} // namespace

FileTextView::FileTextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_emptyText(std::make_shared<FileText>())
    , m_cells(font())
    , m_clipboardCopy(new ClipboardCopy(QClipboard::Clipboard, this))
    , m_selectionCopy(new ClipboardCopy(QClipboard::Selection, this))
{
    connect(m_clipboardCopy, &ClipboardCopy::finished, this, &FileTextView::copied);
    FileTextViewAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateScrollBars();
}

FileTextView::~FileTextView() = default;

TextNavigator FileTextView::navigator() const
{
    return TextNavigator(m_text ? *m_text : *m_emptyText);
}

void FileTextView::setFileText(std::shared_ptr<const FileText> text)
{
    m_text = std::move(text);
    m_anchor = m_cursor = 0;
    m_preferredColumn = -1;
    m_firstLine = m_firstColumn = 0;
    updateScrollBars();
    viewport()->update();
    emit selectionChanged();
    notifyCursorMoved();
}

void FileTextView::setSelection(qint64 anchor, qint64 cursor)
{
    const TextNavigator text = navigator();
    m_anchor = text.positionNear(std::clamp<qint64>(anchor, 0, text.size()));
    m_preferredColumn = -1;
    moveCursor(text.positionNear(std::clamp<qint64>(cursor, 0, text.size())), true);
}

QString FileTextView::selectedText() const
{
    return navigator().plainText(selectionStart(), copyEnd());
}

// The end of what is copied of the selection.
qint64 FileTextView::copyEnd() const
{
    const qint64 from = selectionStart();
    return selectionEnd() - from > CopyLimit ? navigator().positionNear(from + CopyLimit) : selectionEnd();
}

// Like a text box, without scrolling to the end.
void FileTextView::selectAll()
{
    m_preferredColumn = -1;
    select(0, navigator().size());
}

void FileTextView::copy()
{
    copySelection(m_clipboardCopy);
}

void FileTextView::copySelection(ClipboardCopy *copy) const
{
    if (m_anchor != m_cursor && m_text)
        copy->start(m_text, selectionStart(), copyEnd());
}

qint64 FileTextView::pageRows() const
{
    return std::max(1, viewport()->height() / m_cells.lineHeight());
}

qint64 FileTextView::pageColumns() const
{
    return std::max(1, viewport()->width() / m_cells.cellWidth());
}

QStringList FileTextView::visibleRows() const
{
    const TextNavigator text = navigator();
    QStringList rows;
    for (const auto &line : text.lines(m_firstLine, pageRows())) {
        QString row;
        for (const auto &cell : text.cells(line, m_firstColumn, pageColumns()))
            row += QChar(cell.character);
        rows.append(row);
    }
    return rows;
}

void FileTextView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const TextNavigator text = navigator();
    const int lineHeight = m_cells.lineHeight();
    const qint64 columns = viewport()->width() / m_cells.cellWidth() + 1;
    TextRowPainter rows(painter, m_cells, palette(), m_firstColumn);
    rows.setSelection(selectionStart(), selectionEnd());
    const auto lines = text.lines(m_firstLine, viewport()->height() / lineHeight + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool hasBreak = m_firstLine + qint64(i) + 1 < text.lineCount();
        rows.paintRow(int(i) * lineHeight, lines[i], text.cells(lines[i], m_firstColumn, columns), hasBreak);
        if (hasFocus() && m_cursor >= lines[i].start && m_cursor <= lines[i].end)
            rows.paintCaret(int(i) * lineHeight, lines[i], m_cursor);
    }
    rows.finish();
}

void FileTextView::updateScrollBars()
{
    const TextNavigator text = navigator();
    m_lineScale = ScrollScale(text.lineCount() - pageRows());
    m_columnScale = ScrollScale(text.longestLineLength() + 1 - pageColumns());
    scrollTo(m_firstLine, m_firstColumn);
}

// Moves the view to show `line` and `column` first, and the bars with it.
void FileTextView::scrollTo(qint64 line, qint64 column)
{
    m_firstLine = std::clamp<qint64>(line, 0, m_lineScale.maximum());
    m_firstColumn = std::clamp<qint64>(column, 0, m_columnScale.maximum());
    m_settingBars = true;
    const auto setBar = [](QScrollBar *bar, const ScrollScale &scale, qint64 position, qint64 page) {
        bar->setRange(0, scale.barMaximum());
        bar->setPageStep(std::max(1, scale.isScaled() ? scale.toBar(page) : int(page)));
        bar->setSingleStep(1);
        bar->setValue(scale.toBar(position));
    };
    setBar(verticalScrollBar(), m_lineScale, m_firstLine, pageRows());
    setBar(horizontalScrollBar(), m_columnScale, m_firstColumn, pageColumns());
    m_settingBars = false;
    viewport()->update();
}

void FileTextView::scrollContentsBy(int, int)
{
    if (m_settingBars)
        return;
    m_firstLine = m_lineScale.fromBar(verticalScrollBar()->value());
    m_firstColumn = m_columnScale.fromBar(horizontalScrollBar()->value());
    viewport()->update();
}

void FileTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void FileTextView::ensureVisible(qint64 position)
{
    const TextNavigator text = navigator();
    const qint64 line = text.lineOf(position);
    const qint64 column = position - text.lineStart(line);
    qint64 firstLine = m_firstLine;
    if (line < firstLine)
        firstLine = line;
    else if (line >= firstLine + pageRows())
        firstLine = line - pageRows() + 1;
    qint64 firstColumn = m_firstColumn;
    if (column < firstColumn)
        firstColumn = column;
    else if (column >= firstColumn + pageColumns())
        firstColumn = column - pageColumns() + 1;
    if (firstLine != m_firstLine || firstColumn != m_firstColumn)
        scrollTo(firstLine, firstColumn);
}

void FileTextView::moveCursor(qint64 position, bool keepAnchor)
{
    select(keepAnchor ? m_anchor : position, position);
    ensureVisible(m_cursor);
}

void FileTextView::select(qint64 anchor, qint64 cursor)
{
    viewport()->update();
    if (anchor == m_anchor && cursor == m_cursor)
        return;
    m_anchor = anchor;
    m_cursor = cursor;
    emit selectionChanged();
    notifyCursorMoved();
}

void FileTextView::notifyCursorMoved()
{
    FileTextViewAccessible::notifyCursorMoved(this);
}

void FileTextView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::SelectAll)
        selectAll();
    else if (event == QKeySequence::Copy)
        copy();
    else if (!moveByKey(event))
        event->ignore(); // typing does nothing here
}

bool FileTextView::moveByKey(QKeyEvent *event)
{
    struct KeyMove
    {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        Move what;
    };
    static constexpr KeyMove KeyMoves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::NextChar},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::PreviousChar},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::NextLine},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::PreviousLine},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::StartOfLine},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::EndOfLine},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Move::StartOfText},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::EndOfText},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::NextPage},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::PreviousPage},
    };
    for (const KeyMove &key : KeyMoves) {
        const bool select = event->matches(key.select);
        if (!select && !event->matches(key.move))
            continue;
        const TextNavigator text = navigator();
        const bool vertical = key.what == Move::NextLine || key.what == Move::PreviousLine || key.what == Move::NextPage
            || key.what == Move::PreviousPage;
        if (!vertical)
            m_preferredColumn = -1;
        else if (m_preferredColumn < 0)
            m_preferredColumn = m_cursor - text.lineStart(text.lineOf(m_cursor));
        moveCursor(positionFor(key.what, select), select);
        return true;
    }
    return false;
}

qint64 FileTextView::positionFor(Move what, bool select)
{
    const TextNavigator text = navigator();
    const bool collapse = !select && m_anchor != m_cursor;
    const qint64 line = text.lineOf(m_cursor);
    switch (what) {
    case Move::NextChar:
        return collapse ? selectionEnd() : text.positionAfter(m_cursor);
    case Move::PreviousChar:
        return collapse ? selectionStart() : text.positionBefore(m_cursor);
    case Move::NextLine:
        return positionOnLine(line + 1);
    case Move::PreviousLine:
        return positionOnLine(line - 1);
    case Move::NextPage:
        scrollTo(m_firstLine + pageRows(), m_firstColumn);
        return positionOnLine(std::min(line + pageRows(), text.lineCount() - 1));
    case Move::PreviousPage:
        scrollTo(m_firstLine - pageRows(), m_firstColumn);
        return positionOnLine(std::max<qint64>(line - pageRows(), 0));
    case Move::StartOfLine:
        return text.lineStart(line);
    case Move::EndOfLine:
        return text.lineEnd(line);
    case Move::StartOfText:
        return 0;
    case Move::EndOfText:
        return text.size();
    }
    return m_cursor;
}

// The position at the preferred column of `line`; before the first line,
// the text's start, after the last, its end.
qint64 FileTextView::positionOnLine(qint64 line) const
{
    const TextNavigator text = navigator();
    if (line < 0)
        return 0;
    if (line >= text.lineCount())
        return text.size();
    return text.positionInLine(text.lines(line, 1).front(), m_preferredColumn);
}

qint64 FileTextView::positionAt(const QPoint &point) const
{
    const TextNavigator text = navigator();
    const qint64 row = qint64(std::floor(qreal(point.y()) / m_cells.lineHeight()));
    const qint64 line = std::clamp<qint64>(m_firstLine + row, 0, text.lineCount() - 1);
    const TextNavigator::Span span = text.lines(line, 1).front();
    const qreal cell = qreal(m_firstColumn) + qreal(point.x()) / m_cells.cellWidth();
    const qint64 column = std::max<qint64>(std::llround(cell), 0);
    const qint64 position = text.positionInLine(span, column);
    // A point on the right half of a double-byte character is after it.
    if (position < span.end && position - span.start < column && cell >= qreal(position - span.start + 1))
        return text.positionAfter(position);
    return position;
}

QRect FileTextView::positionRect(qint64 position) const
{
    const TextNavigator text = navigator();
    const qint64 line = text.lineOf(position);
    const qint64 column = position - text.lineStart(line);
    const qint64 width = position < text.lineEnd(line) ? text.positionAfter(position) - position : 1;
    const int cell = m_cells.cellWidth();
    return QRect(int((column - m_firstColumn) * cell), int((line - m_firstLine) * m_cells.lineHeight()), int(width) * cell,
                 m_cells.lineHeight());
}

void FileTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selectingWithMouse = true;
    m_preferredColumn = -1;
    moveCursor(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void FileTextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selectingWithMouse || !(event->buttons() & Qt::LeftButton))
        return;
    m_lastMousePoint = event->position().toPoint();
    if (viewport()->rect().contains(m_lastMousePoint))
        m_autoScrollTimer.stop();
    else if (!m_autoScrollTimer.isActive())
        m_autoScrollTimer.start(AutoScrollInterval, this);
    moveCursor(positionAt(m_lastMousePoint), true);
}

void FileTextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_selectingWithMouse)
        return;
    m_selectingWithMouse = false;
    m_autoScrollTimer.stop();
    if (QGuiApplication::clipboard()->supportsSelection())
        copySelection(m_selectionCopy);
}

// While the mouse is held outside the viewport, the selection goes on
// towards it, a row or a column per tick.
void FileTextView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_autoScrollTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    moveCursor(positionAt(m_lastMousePoint), true);
}

void FileTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copyAction = menu.addAction(QCoreApplication::translate("QWidgetTextControl", "&Copy"), this, &FileTextView::copy);
    copyAction->setEnabled(m_anchor != m_cursor);
    menu.addSeparator();
    menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"), this, &FileTextView::selectAll);
    menu.exec(event->globalPos());
}

void FileTextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_cells = CellFont(font());
        updateScrollBars();
    }
}

void FileTextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void FileTextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
