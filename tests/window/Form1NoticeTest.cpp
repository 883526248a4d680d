#include "EncodedTexts.h"
#include "FakeDialogService.h"
#include "FileText.h"
#include "FileTextView.h"
#include "Form1.h"
#include "TextCodec.h"

#include <QLabel>
#include <QTest>
#include <functional>

// What Text2's notice line tells about the text it shows.

namespace {

using SetUp = std::function<void(Form1 &, FileTextView &)>;

// A text that kept `kept` of the 20 bytes the run read.
SetUp textKeeping(qint64 kept)
{
    return [kept](Form1 &form, FileTextView &view) {
        auto text = std::make_shared<FileText>(kept, view.textMetrics());
        text->blockBuffer(20);
        text->commit(20);
        form.setFileText(text);
    };
}

SetUp fileChanged(FileMapping::Change change)
{
    return [change](Form1 &form, FileTextView &view) {
        textKeeping(20)(form, view);
        emit view.fileChanged(change);
    };
}

SetUp budgetCut()
{
    return [](Form1 &form, FileTextView &view) {
        auto text = std::make_shared<FileText>(10, view.textMetrics());
        text->markRoomAsBudget();
        text->blockBuffer(20);
        text->commit(20);
        form.setFileText(text);
    };
}

const QString Shortened = QStringLiteral("このファイルは読み込んだ後に短くなりました。なくなった部分は 0 のバイトとして表示しています。");
const QString Rewritten = QStringLiteral("このファイルは読み込んだ後に書き換えられました。表示しているのは今のファイルの内容です。");
// The sentences in `encoding`, after `asciiLines` lines of ASCII, as a run
// of that file leaves them.
SetUp textIn(TextEncoding encoding, int asciiLines = 0)
{
    return [encoding, asciiLines](Form1 &form, FileTextView &view) {
        const QString ascii = QStringLiteral("int main(void) { return 0; }\n").repeated(asciiLines);
        const QByteArray bytes = encodedAs(ascii + japaneseSentences().join(u'\n'), encoding);
        auto text = std::make_shared<FileText>(bytes.size(), view.textMetrics());
        text->append(bytes.constData(), bytes.size());
        form.setFileText(text);
    };
}

const QString CopyCut = QStringLiteral("選択範囲が大きいため、最初の 16,777,216 バイトだけをコピーしました。");

} // namespace

Q_DECLARE_METATYPE(SetUp)
Q_DECLARE_METATYPE(TextEncoding)

class Form1NoticeTest : public QObject
{
    Q_OBJECT

private slots:
    void tellsWhatText2Shows_data()
    {
        QTest::addColumn<SetUp>("setUp");
        QTest::addColumn<QString>("notice");
        QTest::newRow("a whole text: nothing") << textKeeping(20) << QString();
        QTest::newRow("a text cut where memory ran out") << textKeeping(10) << "メモリに収まらないため、ファイルの最初の 10 バイトだけを表示しています。";
        QTest::newRow("no text at all") << textKeeping(0) << "メモリが足りないため、このファイルのテキストは表示できません。ダンプは全体を表示しています。";
        QTest::newRow("a pseudo-file's text cut at its budget") << budgetCut() << "大きさの分からないファイルのため、テキストは最初の 10 バイトだけを表示しています。";
        QTest::newRow("the file shortened after the run") << fileChanged(FileMapping::Change::Shortened) << Shortened;
        QTest::newRow("the file shortened during the run: nothing shown is lost") << fileChanged(FileMapping::Change::ShortenedWhileRead)
                                                                                 << "このファイルは読み込み中に短くなりました。表示しているのは読み込んだ 20 バイトです。";
        QTest::newRow("the file rewritten after the run") << fileChanged(FileMapping::Change::Rewritten) << Rewritten;
        QTest::newRow("the file grown after the run") << fileChanged(FileMapping::Change::Grown)
                                                      << "このファイルは読み込んだ後に大きくなりました。増えた部分は表示していません。";
        QTest::newRow("a copy cut at its limit")
            << SetUp([](Form1 &, FileTextView &view) { emit view.copyCut(FileTextView::CopyLimit); })
            << CopyCut;
        QTest::newRow("a copy cut after the file changed: the change still told")
            << SetUp([](Form1 &form, FileTextView &view) {
                   fileChanged(FileMapping::Change::Rewritten)(form, view);
                   emit view.copyCut(FileTextView::CopyLimit);
               })
            << CopyCut + u'\n' + Rewritten;
        QTest::newRow("a change after a cut copy: the change told alone")
            << SetUp([](Form1 &form, FileTextView &view) {
                   emit view.copyCut(FileTextView::CopyLimit);
                   fileChanged(FileMapping::Change::Shortened)(form, view);
               })
            << Shortened;
    }

    void tellsWhatText2Shows()
    {
        QFETCH(SetUp, setUp);
        QFETCH(QString, notice);
        Form1 form(std::make_unique<FakeDialogService>());
        auto *view = form.findChild<FileTextView *>(QStringLiteral("Text2"));
        QVERIFY(view);
        setUp(form, *view);
        QCOMPARE(view->notice(), notice);
    }

    void hintsAtTheFilesEncodingAndSwitchesOnItsLink_data()
    {
        QTest::addColumn<SetUp>("setUp");
        QTest::addColumn<QString>("link"); // "": no hint
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("code page 932: no hint") << textIn(TextEncoding::Cp932) << QString() << TextEncoding::Cp932;
        for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::EucJp, TextEncoding::Utf16Le, TextEncoding::Utf16Be})
            QTest::addRow("%s", qPrintable(textCodec(encoding).name())) << textIn(encoding) << "offer" << encoding;
        QTest::newRow("UTF-8 past the first 64 KiB of ASCII") << textIn(TextEncoding::Utf8, 5000) << "offer" << TextEncoding::Utf8;
        QTest::newRow("UTF-8 in a file changed since: both told, each with its link")
            << SetUp([](Form1 &form, FileTextView &view) {
                   textIn(TextEncoding::Utf8)(form, view);
                   emit view.fileChanged(FileMapping::Change::Rewritten);
               })
            << "offer1" << TextEncoding::Utf8;
    }

    void hintsAtTheFilesEncodingAndSwitchesOnItsLink()
    {
        QFETCH(SetUp, setUp);
        QFETCH(QString, link);
        QFETCH(TextEncoding, encoding);
        Form1 form(std::make_unique<FakeDialogService>());
        auto *view = form.findChild<FileTextView *>(QStringLiteral("Text2"));
        setUp(form, *view);
        QCOMPARE(view->textEncoding(), TextEncoding::Cp932);
        if (link.isEmpty()) {
            QCOMPARE(view->notice(), QString());
            return;
        }
        const QString name = textCodec(encoding).name();
        QVERIFY2(view->notice().endsWith(QStringLiteral("このファイルは %1 のようです。").arg(name)), qPrintable(view->notice()));
        auto *notice = view->findChild<QLabel *>(QStringLiteral("notice"));
        QVERIFY2(notice->text().contains(QStringLiteral("<a href=\"%1\">%2 で表示</a>").arg(link, name)), qPrintable(notice->text()));
        emit notice->linkActivated(link);
        QTRY_COMPARE(view->textEncoding(), encoding);
        QVERIFY2(!view->notice().contains(QStringLiteral("のようです")), "the hint goes once taken");
    }
};

QTEST_MAIN(Form1NoticeTest)
#include "Form1NoticeTest.moc"
