// Form1's notice line above Text2: what became of the file's text (cut,
// changed since it was read, a copy cut short), the file's name, and the
// hint of the text's likely encoding, each notice with its offer.
#include "Form1.h"

#include "EncodingHint.h"
#include "EncodingSamples.h"
#include "FileName.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TextCodec.h"

#include <QAction>
#include <QDir>
#include <QLocale>

namespace {

QString byteCount(qint64 count)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(count);
}

} // namespace

void Form1::setFileText(std::shared_ptr<const FileText> text)
{
    const qint64 dropped = text ? text->droppedBytes() : 0;
    const qint64 kept = text ? text->size() : 0;
    const bool budget = text && text->roomIsBudget();
    Text2->setFileText(std::move(text));
    showFileName();
    if (dropped == 0)
        m_textNotice.clear();
    else if (kept == 0)
        m_textNotice = QStringLiteral("メモリが足りないため、このファイルのテキストは表示できません。ダンプは全体を表示しています。");
    else if (budget)
        m_textNotice = QStringLiteral("大きさの分からないファイルのため、テキストは最初の %1 バイトだけを表示しています。").arg(byteCount(kept));
    else
        m_textNotice = QStringLiteral("メモリに収まらないため、ファイルの最初の %1 バイトだけを表示しています。").arg(byteCount(kept));
    m_noticeOffer = nullptr;
    m_hint.reset();
    if (Text2->fileText() && Text2->textEncoding() == TextEncoding::Cp932)
        hintEncoding(*Text2->fileText());
    showNotices();
}

// A proposal only: the text stays as code page 932 until the user takes it.
void Form1::hintEncoding(const FileText &text)
{
    m_hint = EncodingHint::of(EncodingSamples::of(text));
    if (!m_hint)
        return;
    const QString name = textCodec(*m_hint).name();
    m_hintOffer->setText(QStringLiteral("%1 で表示").arg(name));
}

void Form1::showNotices(const QString &first)
{
    QStringList lines{first, m_textNotice};
    QList<QAction *> offers;
    if (m_noticeOffer && !m_textNotice.isEmpty())
        offers << m_noticeOffer;
    if (m_hint) {
        lines << QStringLiteral("このファイルは %1 のようです。").arg(textCodec(*m_hint).name());
        offers << m_hintOffer;
    }
    lines.removeAll(QString());
    Text2->setNotice(lines.join(u'\n'), offers);
}

void Form1::showFileName()
{
    const QString path = m_engine.lastPath().value_or(QString());
    Text2->showFile(FileName::displayed(path.section(u'/', -1)), FileName::displayed(QDir::toNativeSeparators(path)));
    m_reload->setEnabled(!path.isEmpty());
}

void Form1::tellFileChanged(FileMapping::Change change)
{
    const qint64 read = Text2->fileText() ? Text2->fileText()->size() : 0;
    switch (change) {
    case FileMapping::Change::Shortened:
        m_textNotice = QStringLiteral("このファイルは読み込んだ後に短くなりました。なくなった部分は 0 のバイトとして表示しています。");
        break;
    case FileMapping::Change::ShortenedWhileRead:
        m_textNotice = QStringLiteral("このファイルは読み込み中に短くなりました。表示しているのは読み込んだ %1 バイトです。").arg(byteCount(read));
        break;
    case FileMapping::Change::Grown:
        m_textNotice = QStringLiteral("このファイルは読み込んだ後に大きくなりました。増えた部分は表示していません。");
        break;
    default:
        m_textNotice = QStringLiteral("このファイルは読み込んだ後に書き換えられました。表示しているのは今のファイルの内容です。");
        break;
    }
    m_noticeOffer = m_reload;
    showNotices();
}

void Form1::tellCopyCut(qint64 copied)
{
    const QString copyNotice = QStringLiteral("選択範囲が大きいため、最初の %1 バイトだけをコピーしました。").arg(byteCount(copied));
    showNotices(copyNotice);
}
