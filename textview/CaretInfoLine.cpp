#include "CaretInfoLine.h"

#include "CharacterDescriber.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TextCodec.h"

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
    const FileText &text = *m_view->fileText();
    const QString described = CharacterDescriber(text).describe(m_view->selectionStart(), m_view->cursorPosition());
    // Code page 932, the default, goes without saying.
    setText(text.encoding() == TextEncoding::Cp932 ? described : textCodec(text.encoding()).name() + QStringLiteral("  ") + described);
}
