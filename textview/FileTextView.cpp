#include "FileTextView.h"

#include "ClipboardCopy.h"
#include "FileText.h"
#include "FileTextViewAccessible.h"
#include "KeyNavigator.h"
#include "LineLayout.h"
#include "TextNavigator.h"
#include "TextRowPainter.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace {

constexpr int AutoScrollInterval = 50; // ms
constexpr int CaretWidth = 1;
constexpr qint64 Unit = TextMetrics::UnitsPerPixel;

std::shared_ptr<const FileText> emptyText()
{
    static const auto text = std::make_shared<const FileText>();
    return text;
}

} // namespace

FileTextView::FileTextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_text(emptyText())
    , m_font(font())
    , m_notice(new QLabel(this))
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
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setBackgroundRole(QPalette::ToolTipBase);
    m_notice->setForegroundRole(QPalette::ToolTipText);
    m_notice->setAutoFillBackground(true);
    m_notice->hide();
    updateScrollBars();
}

FileTextView::~FileTextView() = default;

TextNavigator FileTextView::navigator() const
{
    return TextNavigator(*m_text);
}

LineLayout FileTextView::layout() const
{
    return LineLayout(*m_text, characters());
}

const CharacterIndex &FileTextView::characters() const
{
    return m_ownCharacters ? *m_ownCharacters : m_text->index().characters();
}

// A text indexed for other metrics is measured again for this font.
void FileTextView::indexForFont()
{
    m_ownCharacters.reset();
    if (m_text->index().characters().sharedMetrics() == m_font.metrics())
        return;
    m_ownCharacters = std::make_unique<CharacterIndex>(m_font.metrics());
    m_ownCharacters->extend(m_text->data(), m_text->size());
}

void FileTextView::setFileText(std::shared_ptr<const FileText> text)
{
    m_text = text ? std::move(text) : emptyText();
    indexForFont();
    m_cursor = TextCursor();
    m_firstLine = m_firstX = 0;
    updateScrollBars();
    viewport()->update();
    emit selectionChanged();
    notifyCursorMoved();
}

void FileTextView::setSelection(qint64 anchor, qint64 cursor)
{
    const TextNavigator text = navigator();
    m_cursor.preferredX.reset();
    const qint64 from = text.positionNear(std::clamp<qint64>(anchor, 0, text.size()));
    select(from, text.positionNear(std::clamp<qint64>(cursor, 0, text.size())));
    ensureVisible(m_cursor.position());
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
    m_cursor.preferredX.reset();
    select(0, m_text->size());
}

void FileTextView::copy()
{
    copySelection(m_clipboardCopy);
}

void FileTextView::copySelection(ClipboardCopy *copy) const
{
    if (m_cursor.hasSelection())
        copy->start(m_text, selectionStart(), copyEnd());
}

void FileTextView::setNotice(const QString &notice)
{
    m_notice->setText(notice);
    m_notice->setVisible(!notice.isEmpty());
    placeNotice();
    updateScrollBars();
}

QString FileTextView::notice() const
{
    return m_notice->text();
}

void FileTextView::placeNotice()
{
    const int height = m_notice->isVisible() ? m_notice->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    m_notice->setGeometry(frameWidth(), frameWidth(), width() - 2 * frameWidth(), height);
}

qint64 FileTextView::pageRows() const
{
    return std::max(1, viewport()->height() / m_font.lineHeight());
}

void FileTextView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const TextNavigator text = navigator();
    const LineLayout lines = layout();
    const int lineHeight = m_font.lineHeight();
    const qint64 from = m_firstX * Unit;
    const qint64 to = (m_firstX + viewport()->width()) * Unit;
    TextRowPainter rows(painter, m_font, palette(), m_text->data(), m_firstX);
    rows.setSelection(selectionStart(), selectionEnd());
    const auto spans = text.lines(m_firstLine, viewport()->height() / lineHeight + 1);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const LineIndex::Span &line = spans[i];
        const auto placed = lines.characters(line, from, to);
        std::optional<TextMetrics::Units> breakX;
        if (m_firstLine + qint64(i) + 1 < text.lineCount() && (placed.empty() || placed.back().position + placed.back().length == line.end))
            breakX = placed.empty() ? lines.xOf(line, line.end) : placed.back().x + placed.back().advance;
        const int top = int(i) * lineHeight;
        rows.paintRow(top, placed, line.end, breakX);
        if (hasFocus() && cursorPosition() >= line.start && cursorPosition() <= line.end)
            rows.paintCaret(top, lines.xOf(line, cursorPosition()));
    }
    rows.finish();
}

void FileTextView::updateScrollBars()
{
    const qint64 widest = (characters().widestLine() + Unit - 1) / Unit;
    m_lineScale = ScrollScale(navigator().lineCount() - pageRows());
    m_xScale = ScrollScale(widest + CaretWidth - viewport()->width());
    scrollTo(m_firstLine, m_firstX);
}

// Moves the view to show `line` first and the text from pixel x, and the
// bars with it.
void FileTextView::scrollTo(qint64 line, qint64 x)
{
    m_firstLine = std::clamp<qint64>(line, 0, m_lineScale.maximum());
    m_firstX = std::clamp<qint64>(x, 0, m_xScale.maximum());
    m_settingBars = true;
    const auto setBar = [](QScrollBar *bar, const ScrollScale &scale, qint64 position, qint64 page, int step) {
        bar->setRange(0, scale.barMaximum());
        bar->setPageStep(std::max(1, scale.isScaled() ? scale.toBar(page) : int(page)));
        bar->setSingleStep(step);
        bar->setValue(scale.toBar(position));
    };
    setBar(verticalScrollBar(), m_lineScale, m_firstLine, pageRows(), 1);
    setBar(horizontalScrollBar(), m_xScale, m_firstX, viewport()->width(), std::max(1, m_font.lineHeight()));
    m_settingBars = false;
    viewport()->update();
}

void FileTextView::scrollContentsBy(int, int)
{
    if (m_settingBars)
        return;
    m_firstLine = m_lineScale.fromBar(verticalScrollBar()->value());
    m_firstX = m_xScale.fromBar(horizontalScrollBar()->value());
    viewport()->update();
}

void FileTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    placeNotice();
    updateScrollBars();
}

void FileTextView::ensureVisible(qint64 position)
{
    const TextNavigator text = navigator();
    const qint64 line = text.lineOf(position);
    const qint64 x = layout().xOf(text.lines(line, 1).front(), position) / Unit;
    qint64 firstLine = m_firstLine;
    if (line < firstLine)
        firstLine = line;
    else if (line >= firstLine + pageRows())
        firstLine = line - pageRows() + 1;
    qint64 firstX = m_firstX;
    if (x < firstX)
        firstX = x;
    else if (x + CaretWidth > firstX + viewport()->width())
        firstX = x + CaretWidth - viewport()->width();
    if (firstLine != m_firstLine || firstX != m_firstX)
        scrollTo(firstLine, firstX);
}

void FileTextView::moveCursor(qint64 position, bool keepAnchor)
{
    select(keepAnchor ? m_cursor.anchor() : position, position);
    ensureVisible(position);
}

void FileTextView::select(qint64 anchor, qint64 cursor)
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
    } else if (move) {
        const TextNavigator text = navigator();
        const LineLayout lines = layout();
        const qint64 target = KeyNavigator(text, lines, pageRows()).target(*move, m_cursor);
        if (move->move == KeyNavigator::Move::NextPage || move->move == KeyNavigator::Move::PreviousPage)
            scrollTo(m_firstLine + (move->move == KeyNavigator::Move::NextPage ? pageRows() : -pageRows()), m_firstX);
        moveCursor(target, move->select);
    } else {
        event->ignore(); // typing does nothing here
    }
}

qint64 FileTextView::positionAt(const QPoint &point) const
{
    const TextNavigator text = navigator();
    const qint64 row = qint64(std::floor(qreal(point.y()) / m_font.lineHeight()));
    const qint64 line = std::clamp<qint64>(m_firstLine + row, 0, text.lineCount() - 1);
    return layout().positionAt(text.lines(line, 1).front(), (m_firstX + point.x()) * Unit);
}

QRect FileTextView::positionRect(qint64 position) const
{
    const TextNavigator text = navigator();
    const LineLayout lines = layout();
    const qint64 line = text.lineOf(position);
    const LineIndex::Span span = text.lines(line, 1).front();
    const LineLayout::Placed placed = lines.characterAt(span, lines.xOf(span, position));
    const qint64 advance = placed.length > 0 ? placed.advance : m_font.glyphs().glyph(u' ').advance;
    const int left = int(std::floor(qreal(placed.x) / Unit)) - int(m_firstX);
    const int right = int(std::ceil(qreal(placed.x + advance) / Unit)) - int(m_firstX);
    return QRect(left, int(line - m_firstLine) * m_font.lineHeight(), std::max(1, right - left), m_font.lineHeight());
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
    copyAction->setEnabled(m_cursor.hasSelection());
    menu.addSeparator();
    menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"), this, &FileTextView::selectAll);
    menu.exec(event->globalPos());
}

void FileTextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_font = TextFont(font());
        indexForFont();
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
