#pragma once

#include "ClipboardCopy.h"
#include "FileMapping.h"
#include "ShownText.h"
#include "TextCursor.h"
#include "TextEncoding.h"
#include "TextFont.h"
#include "ViewScroller.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <memory>
#include <vector>

class ClipboardCopy;
class EncodingSwitch;
class QAction;
class QActionGroup;
class NoticeBar;
class FileText;
class LineLayout;
class TextNavigator;

// A read-only, multi-line view of a FileText of any size, with both scroll
// bars and no wrapping, that reads like a text box: each line set as Qt's
// own layout sets it in the view's font (TextFont, LineLayout), tab stops
// included, with a text box's margin of 4 pixels around the text.
//
// Nothing is laid out ahead: each paint reads only the lines on screen and,
// of each, the characters in view, found through the text's indexes, so a
// line of gigabytes scrolls to its very end at once. Scroll bars past the
// range of an int map to lines and pixels proportionally.
//
// Positions (cursor, anchor) are BytePositions of the text that start a
// character. The selection can be made with the mouse and the keys, and
// copied (Ctrl+C, and on release of the mouse to the X11 selection) up to
// CopyLimit bytes; what is beyond is left out, so that a copy's memory stays
// small beside the text's. A long copy is decoded in steps (ClipboardCopy),
// so the window never stalls. The context menu ends with the actions added
// to the view (QWidget::addAction). Typing does nothing: key presses that do not
// move, select or copy go on to the parent.
class FileTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // The most bytes copied or returned by selectedText().
    static constexpr qint64 CopyLimit = qint64(16) << 20;

    explicit FileTextView(QWidget *parent = nullptr);
    ~FileTextView() override;

    // How this view lays out text in its font. A text indexed with these
    // metrics is shown at once; any other is indexed again, a pass over it.
    std::shared_ptr<const TextMetrics> textMetrics() const { return m_font.metrics(); }
    const TextFont &textFont() const { return m_font; }

    // Shows `text` from its start, the cursor at 0 and nothing selected,
    // in its own encoding (a run's text: code page 932). Ends a switch of
    // encoding under way.
    void setFileText(std::shared_ptr<const FileText> text);
    std::shared_ptr<const FileText> fileText() const { return m_shown.text(); }

    // The encoding the text shown is read in. setTextEncoding() shows the
    // bytes of the text given to setFileText() read in another: at once
    // for that text's own encoding, else once EncodingSwitch has indexed
    // them (in slices, with progress and cancel for a long text); the caret
    // and the selection then stay on the same bytes, on the same row of the
    // view where they can. Each encoding is a checked item of the context
    // menu's 「文字コード」 submenu.
    TextEncoding textEncoding() const;
    void setTextEncoding(TextEncoding encoding);
    QAction *encodingAction(TextEncoding encoding) const;
    bool isSwitchingEncoding() const;
    // While not available (the text is being replaced), a switch under way
    // ends and the submenu's items are off.
    void setEncodingChoiceAvailable(bool available);

    BytePosition cursorPosition() const { return m_cursor.position(); }
    BytePosition selectionStart() const { return m_cursor.selectionStart(); }
    BytePosition selectionEnd() const { return m_cursor.selectionEnd(); }
    // Both are moved back to positions within the text.
    void setSelection(BytePosition anchor, BytePosition cursor);
    // The selected characters, at most CopyLimit bytes of them, every line
    // break as one LF (TextNavigator::plainText), at once.
    QString selectedText() const;

    LineNumber firstVisibleLine() const { return m_scroller.firstLine(); }
    // Rows that fit whole in the viewport (at least one).
    qint64 pageRows() const;
    // Scrolls as little as needed to show `position`.
    void ensureVisible(BytePosition position);
    // The position nearest to a point of the viewport; rows above or below
    // the text give its first or last line.
    BytePosition positionAt(const QPoint &point) const;
    // The box of the character at `position` (a space's width at a line's
    // end), in viewport coordinates.
    QRect positionRect(BytePosition position) const;

    // A line shown across the top of the view, above the text, that tells
    // something about it; empty for none. `offer`, while the notice is
    // shown, is offered as a link after it.
    void setNotice(const QString &notice, QAction *offer = nullptr);
    // The same with several offers, their links in the order given.
    void setNotice(const QString &notice, const QList<QAction *> &offers);
    QString notice() const;
    // The file the text was read from: its name leads the notice line, its
    // path is the line's tooltip. Empty for none.
    void showFile(const QString &name, const QString &path);
    QString shownFileName() const;

    // The view's commands, as its context menu lists them, each with its
    // shortcut, which works wherever the focus is inside the view. The view
    // carries out Copy, CopyHex, SelectAll and GoToAddress (GoToAddressBar);
    // the others do nothing until connected.
    // Actions added to the view from outside (QWidget::addAction) follow
    // them in the menu.
    enum class Command { Copy, CopyHex, SelectAll, GoToAddress, Find };
    QAction *command(Command command) const;

    // Shows `bar` (which the view then owns) across the bottom of the view,
    // below the text, in the order added; while it is shown, its height is
    // taken from the text's.
    void addBottomBar(QWidget *bar);

public slots:
    void selectAll();
    void copy();
    // The selection's bytes as hex, 16 to a line (appendHexBytes), up to
    // CopyLimit bytes as copy() takes them.
    void copyHex();

signals:
    void selectionChanged();
    // The clipboard holds what copy() was asked to put there.
    void copied();
    // A copy of a selection of more than CopyLimit bytes took only the
    // first `copiedBytes` of it.
    void copyCut(qint64 copiedBytes);
    // The file the text is shown from changed after it was read, as found
    // when the view was painted, focused or copied from; once per kind of
    // change and text.
    void fileChanged(FileMapping::Change change);
    // The text is shown read in another encoding.
    void encodingChanged(TextEncoding encoding);

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
    void showEvent(QShowEvent *event) override;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void placeBars();
    void createCommands();
    void createEncodingChoice();
    void showEncoded(std::shared_ptr<const FileText> text);
    void checkShownEncoding();
    QPoint keyboardMenuPoint() const;
    void enableCommands();
    void moveCursor(BytePosition position, bool keepAnchor);
    void select(BytePosition anchor, BytePosition cursor);
    void updateScrollBars();
    Pixels textLeft() const;
    void copySelection(ClipboardCopy *copy, ClipboardCopy::Format format = ClipboardCopy::Format::PlainText);
    BytePosition copyEnd() const;
    void notifyCursorMoved();
    void checkFileChange();
    void measureAhead();

    TextFont m_font;
    ShownText m_shown;
    TextCursor m_cursor;
    ViewScroller m_scroller; // in lines and pixels, the margins included
    NoticeBar *m_notice;
    std::vector<QWidget *> m_bottomBars;
    std::vector<QAction *> m_commands; // by Command
    std::shared_ptr<const FileText> m_source; // the text given, read in any encoding
    QActionGroup *m_encodings = nullptr; // by TextEncoding
    EncodingSwitch *m_encodingSwitch = nullptr;
    bool m_selectingWithMouse = false;
    FileMapping::Change m_toldChange = FileMapping::Change::None;
    QPoint m_lastMousePoint;
    QBasicTimer m_autoScrollTimer;
    QBasicTimer m_measureTimer;
    int m_nextLead = 0x81; // measureAhead()'s next lead byte
    ClipboardCopy *m_clipboardCopy;
    ClipboardCopy *m_selectionCopy;
};
