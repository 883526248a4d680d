#include "CaretInfoLine.h"

#include "CharacterDescriber.h"
#include "FileTextView.h"

CaretInfoLine::CaretInfoLine(FileTextView *view)
    : QLabel(view)
    , m_view(view)
{
    setObjectName(QStringLiteral("caretInfo"));
    setAccessibleDescription(QStringLiteral("カーソル位置の文字または選択範囲の情報"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::NoFocus);
    setMargin(2);
    connect(view, &FileTextView::selectionChanged, this, &CaretInfoLine::refresh);
    connect(view, &FileTextView::fileChanged, this, &CaretInfoLine::refresh);
    refresh();
}

void CaretInfoLine::refresh()
{
    setText(CharacterDescriber(*m_view->fileText()).describe(m_view->selectionStart(), m_view->cursorPosition()));
}
