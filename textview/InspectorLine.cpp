#include "InspectorLine.h"

#include "CharacterInspector.h"
#include "FileTextView.h"

InspectorLine::InspectorLine(FileTextView *view)
    : QLabel(view)
    , m_view(view)
{
    setObjectName(QStringLiteral("inspector"));
    setAccessibleDescription(QStringLiteral("カーソル位置の文字または選択範囲の情報"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::NoFocus);
    setMargin(2);
    connect(view, &FileTextView::selectionChanged, this, &InspectorLine::refresh);
    connect(view, &FileTextView::fileChanged, this, &InspectorLine::refresh);
    refresh();
}

void InspectorLine::refresh()
{
    setText(CharacterInspector(*m_view->fileText()).describe(m_view->selectionStart(), m_view->cursorPosition()));
}
