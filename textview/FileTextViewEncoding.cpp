#include "FileTextView.h"

#include "EncodingSwitch.h"
#include "FileText.h"
#include "TextNavigator.h"

#include <QAction>
#include <QActionGroup>

// The encoding the text is read in: the 「文字コード」 items and the switch.

namespace {

QString encodingItem(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Cp932: return QStringLiteral("Shift_JIS (コードページ 932)");
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::EucJp: return QStringLiteral("EUC-JP");
    case TextEncoding::Utf16Le: return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be: return QStringLiteral("UTF-16BE");
    }
    return {};
}

} // namespace

void FileTextView::createEncodingChoice()
{
    m_encodings = new QActionGroup(this);
    m_encodings->setExclusive(true);
    for (TextEncoding encoding : AllTextEncodings) {
        QAction *action = m_encodings->addAction(encodingItem(encoding));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, encoding] { setTextEncoding(encoding); });
    }
    m_encodingSwitch = new EncodingSwitch(this);
    connect(m_encodingSwitch, &EncodingSwitch::finished, this, &FileTextView::showEncoded);
    connect(m_encodingSwitch, &EncodingSwitch::cancelled, this, &FileTextView::checkShownEncoding);
    checkShownEncoding();
}

TextEncoding FileTextView::textEncoding() const
{
    return m_shown.text()->encoding();
}

QAction *FileTextView::encodingAction(TextEncoding encoding) const
{
    return m_encodings->actions().at(qsizetype(encoding));
}

bool FileTextView::isSwitchingEncoding() const
{
    return m_encodingSwitch->isRunning();
}

void FileTextView::setEncodingChoiceAvailable(bool available)
{
    if (!available && m_encodingSwitch->isRunning()) {
        m_encodingSwitch->cancel();
        checkShownEncoding();
    }
    m_encodings->setEnabled(available);
}

void FileTextView::setTextEncoding(TextEncoding encoding)
{
    m_encodingSwitch->cancel();
    if (!m_source || encoding == textEncoding())
        return checkShownEncoding();
    if (encoding == m_source->encoding())
        return showEncoded(m_source);
    encodingAction(encoding)->setChecked(true);
    m_encodingSwitch->start(m_source, encoding);
}

void FileTextView::checkShownEncoding()
{
    encodingAction(textEncoding())->setChecked(true);
}

// The same bytes read anew: the caret and the selection keep their bytes
// (each moved back to the start of the character that holds it), and the
// caret its row on screen where the text allows.
void FileTextView::showEncoded(std::shared_ptr<const FileText> text)
{
    const qint64 caretRow = m_shown.navigator().lineOf(m_cursor.position()) - m_scroller.firstLine();
    const Pixels x = m_scroller.firstX();
    const TextCursor before = m_cursor;
    m_shown.set(std::move(text), m_font.metrics());
    updateScrollBars();
    const TextNavigator navigator = m_shown.navigator();
    const auto near = [&navigator](BytePosition p) { return navigator.positionNear(std::clamp(p, BytePosition(0), navigator.end())); };
    m_cursor = TextCursor();
    m_cursor.select(near(before.anchor()), near(before.position()));
    m_scroller.scrollTo(std::max(LineNumber(0), navigator.lineOf(m_cursor.position()) - caretRow), x);
    ensureVisible(m_cursor.position());
    viewport()->update();
    checkShownEncoding();
    emit selectionChanged();
    notifyCursorMoved();
    emit encodingChanged(textEncoding());
}
