#include "FileTextView.h"

#include "GoToAddressBar.h"
#include "CaretInfoLine.h"
#include "EncodingSwitch.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

// The view's commands: their names, shortcuts and the context menu.

namespace {

struct CommandLook
{
    const char16_t *name;
    QKeySequence shortcut;
};

CommandLook lookOf(FileTextView::Command command)
{
    using C = FileTextView::Command;
    switch (command) {
    case C::Copy: return {u"コピー(&C)", QKeySequence::Copy};
    case C::CopyHex: return {u"16進数でコピー(&H)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)};
    case C::SelectAll: return {u"すべて選択(&A)", QKeySequence::SelectAll};
    case C::GoToAddress: return {u"アドレスへ移動(&G)…", QKeySequence(Qt::CTRL | Qt::Key_G)};
    case C::Find: return {u"検索(&F)…", QKeySequence::Find};
    }
    return {};
}

constexpr FileTextView::Command AllCommands[] = {
    FileTextView::Command::Copy, FileTextView::Command::CopyHex, FileTextView::Command::SelectAll,
    FileTextView::Command::GoToAddress, FileTextView::Command::Find,
};

} // namespace

void FileTextView::createCommands()
{
    for (Command command : AllCommands) {
        const CommandLook look = lookOf(command);
        auto *action = new QAction(QString::fromUtf16(look.name), this);
        action->setShortcut(look.shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        m_commands.push_back(action);
    }
    connect(this->command(Command::Copy), &QAction::triggered, this, &FileTextView::copy);
    connect(this->command(Command::CopyHex), &QAction::triggered, this, &FileTextView::copyHex);
    connect(this->command(Command::SelectAll), &QAction::triggered, this, &FileTextView::selectAll);
    // The caret's info line first, right under the text; the bars that ask
    // for something below it.
    addBottomBar(new CaretInfoLine(this));
    auto *goTo = new GoToAddressBar(this);
    addBottomBar(goTo);
    connect(this->command(Command::GoToAddress), &QAction::triggered, goTo, &GoToAddressBar::open);
    connect(this, &FileTextView::selectionChanged, this, &FileTextView::enableCommands);
    enableCommands();
    createEncodingChoice();
}

QAction *FileTextView::command(Command command) const
{
    return m_commands[std::size_t(command)];
}

void FileTextView::enableCommands()
{
    command(Command::Copy)->setEnabled(m_cursor.hasSelection());
    command(Command::CopyHex)->setEnabled(m_cursor.hasSelection());
}

void FileTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    menu.addActions({command(Command::Copy), command(Command::CopyHex), command(Command::SelectAll)});
    menu.addSeparator();
    menu.addActions({command(Command::GoToAddress), command(Command::Find)});
    menu.addSeparator();
    QMenu *encodings = menu.addMenu(QStringLiteral("文字コード(&E)"));
    encodings->addActions(m_encodings->actions());
    const QList<QAction *> outside = actions().mid(qsizetype(m_commands.size()));
    if (!outside.isEmpty()) {
        menu.addSeparator();
        menu.addActions(outside);
    }
    menu.exec(event->reason() == QContextMenuEvent::Keyboard ? keyboardMenuPoint() : event->globalPos());
}

// From the keyboard, at the caret rather than wherever the mouse is; in the
// middle of the text when the caret is out of view.
QPoint FileTextView::keyboardMenuPoint() const
{
    const QPoint caret = positionRect(cursorPosition()).bottomLeft();
    return viewport()->mapToGlobal(viewport()->rect().contains(caret) ? caret : viewport()->rect().center());
}
