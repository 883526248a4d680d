#include "FileText.h"
#include "GoToAddressBar.h"
#include "HexAddress.h"
#include "ViewFixture.h"
#include "ViewTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

// What the view tells of its bytes: the caret's info line, go to address,
// copy as hex, and the context menu that holds them, with the keyboard.

namespace {

// Many lines, so that an address near the end is out of view at first,
// then a double-byte character and a CR LF: 日 CR LF x.
QByteArray linesThenJapanese()
{
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "line " + QByteArray::number(i) + "\n";
    return bytes + "\x93\xFA\r\nx";
}

QString infoLineText(const FileTextView &view)
{
    return view.findChild<QLabel *>(QStringLiteral("caretInfo"))->text();
}

} // namespace

class CaretInfoLineTest : public ViewFixture
{
    Q_OBJECT

private slots:
    void theInfoLineFollowsTheCaretAndTheSelection()
    {
        FileTextView &view = showView(QByteArray("a\x83\x41" "b"));
        QCOMPARE(infoLineText(view), QStringLiteral("アドレス 00000000  バイト 61  U+0061 a"));
        pressKeys(&view, {"Right"});
        QCOMPARE(infoLineText(view), QStringLiteral("アドレス 00000001  バイト 83 41  U+30A2 ア  区点 05-02"));
        pressKeys(&view, {"Shift+End"});
        QCOMPARE(infoLineText(view), QStringLiteral("アドレス 00000001 - 00000003  選択 3 バイト  2 文字"));
        pressKeys(&view, {"End"});
        QCOMPARE(infoLineText(view), QStringLiteral("アドレス 00000004  テキストの終わり"));
    }

    void goesToTheCharacterThatHoldsAnAddress_data()
    {
        const qint64 kanji = linesThenJapanese().size() - 5;
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("position"); // -1: stays where it was
        QTest::newRow("a lead byte") << formatAddress(kanji) << kanji;
        QTest::newRow("a trail byte gives its whole character") << "0x" + QString::number(kanji + 1, 16) << kanji;
        QTest::newRow("the LF of a CR LF gives the CR") << QString::number(kanji + 3, 16) << kanji + 2;
        QTest::newRow("the first byte") << "0" << 0LL;
        QTest::newRow("the end") << QString::number(kanji + 5, 16) << kanji + 5;
        QTest::newRow("past the end") << QString::number(kanji + 6, 16) << -1LL;
        QTest::newRow("nothing typed") << "" << -1LL;
        QTest::newRow("not hex") << "12z" << -1LL;
        QTest::newRow("beyond 2^63") << "10000000000000000" << -1LL;
    }

    void goesToTheCharacterThatHoldsAnAddress()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, position);
        FileTextView &view = showView(linesThenJapanese());
        view.setSelection(5_byte, 5_byte);
        pressKeys(&view, {"Ctrl+G"});
        auto *bar = view.findChild<GoToAddressBar *>();
        auto *entry = bar->findChild<QLineEdit *>();
        QVERIFY(bar->isVisible());
        QVERIFY(entry->hasFocus());
        QTest::keyClicks(entry, typed);
        QTest::keyClick(entry, Qt::Key_Return);
        if (position < 0) {
            QCOMPARE(view.cursorPosition(), 5_byte);
            QVERIFY(bar->isVisible());
            QVERIFY(!bar->message().isEmpty());
            QTest::keyClick(entry, Qt::Key_Escape);
        } else {
            QCOMPARE(view.cursorPosition(), BytePosition(position));
            QVERIFY(view.viewport()->rect().intersects(view.positionRect(view.cursorPosition())));
            QVERIFY(infoLineText(view).startsWith("アドレス " + formatAddress(position) + "  "));
        }
        QVERIFY(!bar->isVisible());
        QVERIFY(view.hasFocus());
    }

    void copiesTheSelectionAsHexSixteenToALine()
    {
        const QByteArray bytes = QByteArray("\x83\x41\r\n") + QByteArray(14, 'a') + "\x93\xFA";
        FileTextView &view = showView(bytes);
        QSignalSpy copied(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+A", "Ctrl+Shift+C"});
        QVERIFY(copied.count() == 1 || copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("83 41 0D 0A 61 61 61 61 61 61 61 61 61 61 61 61\n61 61 93 FA"));
    }

    void aHugeSelectionIsCopiedAsHexUpToTheLimit()
    {
        const QByteArray bytes = QByteArray(FileTextView::CopyLimit - 1, '\x10') + "\x93\xFA" "more";
        FileTextView &view = showView(bytes);
        QSignalSpy copied(&view, &FileTextView::copied);
        QSignalSpy cut(&view, &FileTextView::copyCut);
        pressKeys(&view, {"Ctrl+A", "Ctrl+Shift+C"});
        QVERIFY(copied.wait(20000));
        QCOMPARE(cut.count(), 1);
        QCOMPARE(cut.front().front().toLongLong(), FileTextView::CopyLimit - 1);
        const QString hex = QGuiApplication::clipboard()->text();
        QCOMPARE(hex.size(), 3 * (FileTextView::CopyLimit - 1) - 1);
        const qint64 lines = (FileTextView::CopyLimit - 1 + 15) / 16;
        QCOMPARE(hex.count(u'\n'), lines - 1);
        QCOMPARE(hex.section(u'\n', -1), QStringList(int(FileTextView::CopyLimit - 1 - 16 * (lines - 1)), "10").join(u' '));
    }

    // Shift+F10 opens it at the caret; each command is there with its shortcut.
    void theContextMenuHoldsTheCommandsWithTheirShortcuts()
    {
        FileTextView &view = showView(QByteArray("abc"));
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (const QAction *action : menu->actions())
                if (!action->isSeparator())
                    shown << action->text() + " " + action->shortcut().toString();
            menu->close();
        });
        pressKeys(&view, {"Shift+F10"});
        QCOMPARE(shown, (QStringList{"コピー(&C) Ctrl+C", "16進数でコピー(&H) Ctrl+Shift+C", "すべて選択(&A) Ctrl+A",
                                     "アドレスへ移動(&G)… Ctrl+G", "検索(&F)… Ctrl+F", "文字コード(&E) "}));
    }
};

QTEST_MAIN(CaretInfoLineTest)
#include "CaretInfoLineTest.moc"
