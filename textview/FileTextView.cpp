#include "FileTextView.h"

#include "ClipboardCopy.h"
#include "EncodingSwitch.h"
#include "FileText.h"
#include "FileTextViewAccessible.h"
#include "KeyNavigator.h"
#include "LineLayout.h"
#include "NoticeBar.h"
#include "TextNavigator.h"
#include "TextRowPainter.h"
#include "ViewGeometry.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

constexpr int AutoScrollInterval = 50; // ms
constexpr int CaretWidth = 1;
constexpr int Margin = ViewGeometry::Margin;

} // namespace

FileTextView::FileTextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_font(font())
    , m_scroller(verticalScrollBar(), horizontalScrollBar())
    , m_notice(new NoticeBar(this))
    , m_clipboardCopy(new ClipboardCopy(QClipboard::Clipboard, this))
    , m_selectionCopy(new ClipboardCopy(QClipboard::Selection, this))
{
    connect(m_clipboardCopy, &ClipboardCopy::finished, this, &FileTextView::copied);
    connect(m_clipboardCopy, &ClipboardCopy::finished, this, &FileTextView::checkFileChange);
    connect(m_selectionCopy, &ClipboardCopy::finished, this, &FileTextView::checkFileChange);
    FileTextViewAccessible::install();
    createCommands();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateScrollBars();
}

FileTextView::~FileTextView() = default;

void FileTextView::setFileText(std::shared_ptr<const FileText> text)
{
    m_encodingSwitch->cancel();
    m_source = text;
    m_shown.set(std::move(text), m_font.metrics());
    checkShownEncoding();
    m_toldChange = FileMapping::Change::None;
    m_cursor = TextCursor();
    m_scroller.scrollTo(LineNumber(0), Pixels(0));
    updateScrollBars();
    viewport()->update();
    emit selectionChanged();
    notifyCursorMoved();
}

void FileTextView::setSelection(BytePosition anchor, BytePosition cursor)
{
    const TextNavigator text = m_shown.navigator();
    m_cursor.preferredX.reset();
    const BytePosition from = text.positionNear(std::clamp(anchor, BytePosition(0), text.end()));
    select(from, text.positionNear(std::clamp(cursor, BytePosition(0), text.end())));
    ensureVisible(m_cursor.position());
}

qint64 FileTextView::pageRows() const
{
    return std::max(1, (viewport()->height() - Margin) / m_font.lineHeight());
}


void FileTextView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    TextRowPainter rows(painter, m_font, palette(), textLeft(), viewport()->width());
    rows.setSelection(selectionStart(), selectionEnd());
    const std::optional<BytePosition> caret = hasFocus() ? std::optional(cursorPosition()) : std::nullopt;
    rows.paintLines(m_shown.navigator(), m_shown.layout(), m_scroller.firstLine(), Margin, viewport()->height(), caret);
    rows.finish();
    checkFileChange();
}

void FileTextView::checkFileChange()
{
    const FileMapping::Change change = m_shown.text()->changeSinceRead();
    if (change == FileMapping::Change::None || change == m_toldChange)
        return;
    m_toldChange = change;
    emit fileChanged(change);
}

void FileTextView::updateScrollBars()
{
    const Pixels widest = ceilPixels(m_shown.characters().widestLine());
    m_scroller.setExtent(m_shown.navigator().lineCount(), widest + Pixels(CaretWidth + 2 * Margin), pageRows(),
                         Pixels(viewport()->width()), std::max(1, m_font.lineHeight()));
    viewport()->update();
}

void FileTextView::scrollContentsBy(int, int)
{
    m_scroller.followBars();
    viewport()->update();
}

void FileTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    placeBars();
    updateScrollBars();
}

void FileTextView::ensureVisible(BytePosition position)
{
    const TextNavigator text = m_shown.navigator();
    const LineNumber line = text.lineOf(position);
    const Pixels x = floorPixels(m_shown.layout().xOf(text.lines(line, 1).front(), position));
    if (m_scroller.ensureVisible(line, x, Pixels(CaretWidth + 2 * Margin)))
        viewport()->update();
}

void FileTextView::moveCursor(BytePosition position, bool keepAnchor)
{
    select(keepAnchor ? m_cursor.anchor() : position, position);
    ensureVisible(position);
}

void FileTextView::select(BytePosition anchor, BytePosition cursor)
{
    viewport()->update();
    if (!m_cursor.select(anchor, cursor))
        return;
    emit selectionChanged();
    notifyCursorMoved();
}

void FileTextView::notifyCursorMoved()
{
    FileTextViewAccessible::notifyCursorMoved(this);
}

void FileTextView::keyPressEvent(QKeyEvent *event)
{
    const std::optional<KeyNavigator::KeyMove> move = KeyNavigator::moveFor(*event);
    if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::Copy) {
        copy();
    } else if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        contextMenuEvent(&menu);
    } else if (move) {
        const TextNavigator text = m_shown.navigator();
        const LineLayout lines = m_shown.layout();
        const BytePosition target = KeyNavigator(text, lines, pageRows()).target(*move, m_cursor);
        if (move->move == KeyNavigator::Move::NextPage || move->move == KeyNavigator::Move::PreviousPage) {
            const qint64 page = move->move == KeyNavigator::Move::NextPage ? pageRows() : -pageRows();
            m_scroller.scrollTo(m_scroller.firstLine() + page, m_scroller.firstX());
        }
        moveCursor(target, move->select);
    } else {
        event->ignore(); // typing does nothing here
    }
}



BytePosition FileTextView::positionAt(const QPoint &point) const
{
    return ViewGeometry(m_shown, m_font, m_scroller).positionAt(point);
}

QRect FileTextView::positionRect(BytePosition position) const
{
    return ViewGeometry(m_shown, m_font, m_scroller).positionRect(position);
}

Pixels FileTextView::textLeft() const
{
    return ViewGeometry(m_shown, m_font, m_scroller).textLeft();
}

void FileTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selectingWithMouse = true;
    m_cursor.preferredX.reset();
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
// towards it.
void FileTextView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_measureTimer.timerId()) {
        measureAhead();
        return;
    }
    if (event->timerId() != m_autoScrollTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    moveCursor(positionAt(m_lastMousePoint), true);
}

void FileTextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_font = TextFont(font());
        m_shown.setMetrics(m_font.metrics());
        m_nextLead = 0x81;
        if (isVisible())
            m_measureTimer.start(0, this);
        updateScrollBars();
    }
}

// Measuring a character for the first time asks the font for its glyph;
// the double-byte characters are measured while the window waits for the
// user, a lead byte's worth per turn of the event loop, rather than all at
// once in the first block of the first file read.
void FileTextView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    if (m_nextLead <= 0xFC && !m_measureTimer.isActive())
        m_measureTimer.start(0, this);
}

void FileTextView::measureAhead()
{
    m_font.metrics()->measureLead(std::uint8_t(m_nextLead++));
    if (m_nextLead > 0xFC)
        m_measureTimer.stop();
}

// The caret shows only with the focus.
void FileTextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    checkFileChange();
    viewport()->update();
}

void FileTextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
