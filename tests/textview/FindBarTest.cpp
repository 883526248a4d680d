#include "FileText.h"
#include "FindBar.h"
#include "FindPath.h"
#include "ViewFixture.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>

// The find bar through the keys a user presses, in a view of a text.

Q_DECLARE_METATYPE(TextEncoding)

namespace {

// "アイ ア xアイ" then an invalid byte and a NEC row 13 character.
const QByteArray Text("\x83\x41\x83\x43 \x83\x41 x\x83\x41\x83\x43\x80\x87\x40");

QWidget *focused()
{
    return QApplication::focusWidget();
}

} // namespace

class FindBarTest : public ViewFixture
{
    Q_OBJECT

    void openWith(FileTextView &view, int kind, const QString &typed)
    {
        if (!view.findChild<FindBar *>())
            new FindBar(&view);
        QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
        view.findChild<QComboBox *>()->setCurrentIndex(kind);
        // as an input method gives it: key events that carry their text
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

private slots:
    // kind: the choice's index (text, hex, invalid, platform-dependent).
    void keysFindAndSelect_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("status");
        QTest::newRow("Enter finds the text after the caret") << 2 << 0 << "ア" << QStringList{"Return"} << 5 << 7 << "";
        QTest::newRow("Enter again goes on after the match") << 0 << 0 << "アイ" << QStringList{"Return", "Return"} << 9 << 13 << "";
        QTest::newRow("F3 goes on too") << 0 << 0 << "ア" << QStringList{"F3", "F3", "F3"} << 9 << 11 << "";
        QTest::newRow("Shift+Enter finds the one before") << 9 << 0 << "ア" << QStringList{"Shift+Return"} << 5 << 7 << "";
        QTest::newRow("past the last match, around from the front") << 12 << 0 << "アイ" << QStringList{"Return"} << 0 << 4 << "先頭から続けました";
        QTest::newRow("before the first match, around from the end") << 0 << 0 << "アイ" << QStringList{"Shift+F3"} << 9 << 13 << "末尾から続けました";
        QTest::newRow("a trail byte's A is not an A") << 0 << 0 << "A" << QStringList{"Return"} << 0 << 0 << "見つかりません";
        QTest::newRow("hex from a trail byte selects the whole character") << 0 << 1 << "41 83" << QStringList{"Return"} << 0 << 4 << "";
        QTest::newRow("hex that is no hex says why") << 0 << 1 << "4G" << QStringList{"Return"} << 0 << 0 << "16 進数ではありません";
        QTest::newRow("the next invalid byte") << 0 << 2 << "" << QStringList{"Return"} << 13 << 14 << "";
        QTest::newRow("the previous platform-dependent character") << 2 << 3 << "" << QStringList{"Shift+Return"} << 14 << 16 << "末尾から続けました";
    }

    void keysFindAndSelect()
    {
        QFETCH(int, caret);
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(QStringList, keys);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, status);
        FileTextView &view = showView(Text);
        view.setSelection(BytePosition(caret), BytePosition(caret));
        openWith(view, kind, typed);
        pressKeys(focused(), keys);
        if (start != end) {
            QCOMPARE(view.selectionStart(), BytePosition(start));
            QCOMPARE(view.selectionEnd(), BytePosition(end));
        } else {
            QCOMPARE(view.selectionStart(), view.selectionEnd());
        }
        const auto *bar = view.findChild<FindBar *>();
        QVERIFY2(status.isEmpty() ? bar->status().isEmpty() : bar->status().contains(status), qPrintable(bar->status()));
    }

    // The text shown as hex; kind as above.
    void findsInTheShownTextsEncoding_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("status");
        QTest::newRow("UTF-16LE: typed text as its UTF-16LE bytes") << TextEncoding::Utf16Le << QByteArray("7800 A230") << 0 << "ア" << 2 << 4 << "";
        QTest::newRow("UTF-8: the next invalid part") << TextEncoding::Utf8 << QByteArray("61 E382 62") << 2 << "" << 1 << 3 << "";
        QTest::newRow("EUC-JP: platform-dependent characters are code page 932's")
            << TextEncoding::EucJp << QByteArray("ADA1") << 3 << "" << 0 << 0 << "コードページ 932 (Shift-JIS) で読むテキストでだけ";
    }

    void findsInTheShownTextsEncoding()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, hex);
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, status);
        FileTextView &view = showView(QByteArray::fromHex(hex), encoding);
        openWith(view, kind, typed);
        pressKeys(focused(), {"Return"});
        QCOMPARE(view.selectionStart(), BytePosition(start));
        QCOMPARE(view.selectionEnd(), BytePosition(end));
        const QString said = view.findChild<FindBar *>()->status();
        QVERIFY2(status.isEmpty() ? said.isEmpty() : said.contains(status), qPrintable(said));
    }

    void escClosesTheBarAndGivesTheFocusBack()
    {
        FileTextView &view = showView(Text);
        openWith(view, 0, QStringLiteral("ア"));
        const auto *bar = view.findChild<FindBar *>();
        QVERIFY(bar->isVisible() && bar->isAncestorOf(focused()));
        QTest::keyClick(focused(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QCOMPARE(focused(), &view);
    }

    // The plain path through 64 MiB takes many slices.
    void aLongSearchRunsInSlicesAndEscEndsIt()
    {
        overrideFindPath(FindPath::Plain);
        QByteArray bytes(qint64(64) << 20, '\0');
        bytes[bytes.size() - 1] = '\x01';
        FileTextView &view = showView(bytes);
        openWith(view, 1, QStringLiteral("01"));
        const auto *bar = view.findChild<FindBar *>();
        QTest::keyClick(focused(), Qt::Key_Return);
        QVERIFY(bar->isSearching());
        QTest::keyClick(focused(), Qt::Key_Escape);
        QVERIFY(!bar->isSearching() && bar->isVisible());
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_VERIFY(!bar->isSearching());
        overrideFindPath(std::nullopt);
        QCOMPARE(view.selectionStart(), BytePosition(bytes.size() - 1));
    }
};

QTEST_MAIN(FindBarTest)
#include "FindBarTest.moc"
