#include "AccessibleText.h"
#include "ClipboardCopy.h"
#include "FileText.h"
#include "ViewFixture.h"
#include "ViewTestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>

// The caret and the selection, by keys and mouse, what is copied of them,
// and what screen readers read.

Q_DECLARE_METATYPE(TextEncoding)

class FileTextSelectionTest : public ViewFixture
{
    Q_OBJECT

private slots:

    void selectsWithTheKeys_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Shift+Right takes a double-byte character whole") << QStringList{"Shift+Right"} << QStringLiteral("日");
        QTest::newRow("Shift+End selects to the end of the line") << QStringList{"Shift+End"} << QStringLiteral("日本語");
        QTest::newRow("Shift+Right at the end of a line takes CR LF as one step")
            << QStringList{"End", "Shift+Right"} << QStringLiteral("\n");
        QTest::newRow("Shift+Down from the start keeps the start") << QStringList{"Shift+Down"} << QStringLiteral("日本語\n");
        QTest::newRow("Shift+Left at the end takes the last character")
            << QStringList{"Ctrl+End", "Shift+Left"} << QStringLiteral("z");
        QTest::newRow("Left with a selection goes to its start") << QStringList{"Shift+End", "Left", "Shift+Right"}
                                                                 << QStringLiteral("日");
        QTest::newRow("Ctrl+Shift+End selects to the end") << QStringList{"Down", "Ctrl+Shift+End"}
                                                           << QStringLiteral("abcdef\nxy\nz");
        QTest::newRow("Ctrl+A selects everything") << QStringList{"Down", "Ctrl+A"} << plain(Sample);
        QTest::newRow("a move without Shift drops the selection") << QStringList{"Ctrl+A", "Home", "Down"} << QString();
    }

    // Up and down go to the place of the next line nearest to where the
    // caret stood when they began, through shorter lines.
    void selectsWithTheKeys()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, selected);
        FileTextView &view = showView(Sample);
        pressKeys(&view, keys);
        QCOMPARE(view.selectedText(), selected);
    }

    void upAndDownKeepTheCaretsX()
    {
        FileTextView &view = showView("WWWWWWWW\nii\nabcdefghijkl");
        for (BytePosition start; start <= 8_byte; ++start) {
            view.setSelection(start, start);
            const int x = view.positionRect(start).left();
            pressKeys(&view, {"Down", "Down"});
            const BytePosition below = view.cursorPosition();
            QVERIFY(below >= 12_byte && below <= 24_byte);
            for (BytePosition other : {below - 1, below + 1})
                if (other >= 12_byte && other <= 24_byte)
                    QVERIFY(qAbs(view.positionRect(below).left() - x) <= qAbs(view.positionRect(other).left() - x) + 1);
            pressKeys(&view, {"Up", "Up"});
            QCOMPARE(view.cursorPosition(), start);
        }
    }

    void selectsWithTheMouse_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QString>("selected");
        QTest::newRow("a drag across lines") << qint64(10) << qint64(16) << QStringLiteral("cdef\nx");
        QTest::newRow("a drag backwards") << qint64(16) << qint64(10) << QStringLiteral("cdef\nx");
        QTest::newRow("a drag over double-byte characters") << qint64(0) << qint64(4) << QStringLiteral("日本");
    }

    void selectsWithTheMouse()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(QString, selected);
        FileTextView &view = showView(Sample);
        const auto leftEdge = [&](qint64 position) { return view.positionRect(BytePosition(position)).topLeft() + QPoint(1, 2); };
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, leftEdge(from));
        QTest::mouseMove(view.viewport(), leftEdge(to));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, leftEdge(to));
        QCOMPARE(view.selectedText(), selected);
    }

    void aClickOnTheRightHalfOfAWideCharacterIsAfterIt()
    {
        FileTextView &view = showView(Sample);
        const QRect wide = view.positionRect(2_byte); // 本
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(wide.center().x() - 2, wide.center().y()));
        QCOMPARE(view.cursorPosition(), 2_byte);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(wide.center().x() + 2, wide.center().y()));
        QCOMPARE(view.cursorPosition(), 4_byte);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, view.positionRect(11_byte).topLeft() + QPoint(1, 2));
        QCOMPARE(view.selectedText(), QStringLiteral("語\nabc"));
    }

    void ctrlCCopiesTheSelection()
    {
        FileTextView &view = showView(Sample);
        QGuiApplication::clipboard()->clear();
        pressKeys(&view, {"Down", "Shift+Down", "Ctrl+C"});
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abcdef\n"));
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QCOMPARE(QGuiApplication::clipboard()->text(), plain(Sample));
    }

    void aCrLfAcrossTwoCopyStepsIsCopiedAsOneBreak()
    {
        const QByteArray bytes = QByteArray(ClipboardCopy::StepBytes - 1, 'a') + "\r\nb";
        FileTextView &view = showView(bytes);
        QSignalSpy finished(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QVERIFY(finished.wait());
        QCOMPARE(QGuiApplication::clipboard()->text(), plain(bytes));
    }

    void aHugeSelectionIsCopiedUpToTheLimitInSteps()
    {
        // The limit falls inside the double-byte character.
        const QByteArray bytes = QByteArray(FileTextView::CopyLimit - 1, 'a') + "\x93\xFA\r\nand more";
        FileTextView &view = showView(bytes);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QSignalSpy finished(&view, &FileTextView::copied);
        QSignalSpy cut(&view, &FileTextView::copyCut);
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QCOMPARE(cut.count(), 1);
        QCOMPARE(cut.front().front().toLongLong(), FileTextView::CopyLimit - 1);
        QVERIFY(finished.wait());
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied.size(), FileTextView::CopyLimit - 1);
        QVERIFY(plain(bytes).startsWith(copied));
    }

    void typingChangesNothing()
    {
        FileTextView &view = showView(Sample);
        pressKeys(&view, {"Down", "Right"});
        const auto text = view.fileText();
        QTest::keyClicks(&view, QStringLiteral("typed"));
        pressKeys(&view, {"Delete", "Backspace", "Return", "Ctrl+V", "Ctrl+X"});
        QCOMPARE(view.fileText(), text);
        QCOMPARE(QByteArray(text->data(), text->size()), Sample);
        QCOMPARE(view.cursorPosition(), 9_byte);
        QCOMPARE(view.selectedText(), QString());
        QVERIFY(!view.testAttribute(Qt::WA_InputMethodEnabled));
    }

    void pageDownMovesAPageAndScrollsWithIt()
    {
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i)
            bytes += "line " + QByteArray::number(i) + "\n";
        FileTextView &view = showView(bytes);
        pressKeys(&view, {"Ctrl+A"});
        QCOMPARE(view.firstVisibleLine(), 0_line); // selecting all does not scroll
        pressKeys(&view, {"Ctrl+Home", "PgDown", "PgDown"});
        QCOMPARE(view.firstVisibleLine(), LineNumber(2 * view.pageRows()));
        QCOMPARE(rowText(view, 0), QStringLiteral("line %1").arg(2 * view.pageRows()));
        pressKeys(&view, {"Ctrl+End"});
        QCOMPARE(view.cursorPosition(), BytePosition(bytes.size()));
        QCOMPARE(view.firstVisibleLine(), LineNumber(1001 - view.pageRows()));
    }

    void screenReadersReadTheTextAndFollowTheCursor()
    {
        FileTextView &view = showView(Sample);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(accessible && accessible->textInterface());
        QVERIFY(accessible->state().readOnly);
        QAccessibleTextInterface *text = accessible->textInterface();
        QCOMPARE(text->text(0, text->characterCount()), plain(Sample));
        pressKeys(&view, {"Down", "Shift+Right", "Shift+Right"});
        QCOMPARE(text->cursorPosition(), 6); // 日本語 LF a b
        int start = -1;
        int end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(text->text(start, end), QStringLiteral("ab"));
        text->setSelection(0, 0, 2);
        QCOMPARE(view.selectedText(), QStringLiteral("日本"));
        QCOMPARE(text->offsetAtPoint(view.viewport()->mapToGlobal(view.positionRect(9_byte).center() - QPoint(2, 0))), 5);
        QCOMPARE(text->characterRect(5).topLeft(), view.viewport()->mapToGlobal(view.positionRect(9_byte).topLeft()));
    }

    void screenReadersReadTheWholeOfALongText()
    {
        QByteArray bytes;
        for (int i = 0; bytes.size() < 300000; ++i)
            bytes += "\x93\xFA\x96\x7B line " + QByteArray::number(i) + (i % 3 ? "\r\n" : "\n");
        bytes += '\0';
        FileTextView &view = showView(bytes);
        pressKeys(&view, {"Ctrl+End"});
        QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&view)->textInterface();
        const QString whole = plain(bytes).replace(QChar(0), QChar(0x2400));
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(text->cursorPosition(), text->characterCount());
        QCOMPARE(text->text(whole.size() - 3, whole.size()), whole.right(3));
    }

    // The bytes as hex; `pair`: the offset of a character of two UTF-16
    // units, which a screen reader gets whole.
    void aTextInItsEncodingIsReadAndCopied_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QString>("whole");
        QTest::addColumn<int>("pair");
        QTest::newRow("UTF-16LE: a surrogate pair and a CR LF")
            << TextEncoding::Utf16Le << QByteArray("6100 3DD8 00DE 0D00 0A00 A230") << QStringLiteral("a😀\nア") << 1;
        QTest::newRow("UTF-16BE: a CR alone, a pair at the end")
            << TextEncoding::Utf16Be << QByteArray("30A2 000D D83D DE00") << QStringLiteral("ア\n😀") << 2;
        QTest::newRow("UTF-8: four bytes, then an invalid part")
            << TextEncoding::Utf8 << QByteArray("F09F9880 0D0A E382") << QStringLiteral("😀\n\uFFFD") << 0;
        QTest::newRow("EUC-JP: JIS X 0212 and half-width katakana")
            << TextEncoding::EucJp << QByteArray("8FB0A1 8EB1 0D0A 41") << QStringLiteral("丂ｱ\nA") << -1;
        QTest::newRow("UTF-16LE: a byte-order mark is read, not copied")
            << TextEncoding::Utf16Le << QByteArray("FFFE 6100") << QStringLiteral("\uFEFFa") << -1;
    }

    void aTextInItsEncodingIsReadAndCopied()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, hex);
        QFETCH(QString, whole);
        QFETCH(int, pair);
        const QByteArray bytes = QByteArray::fromHex(hex);
        FileTextView &view = showView(bytes, encoding);
        QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&view)->textInterface();
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        int start = -1, end = -1;
        if (pair >= 0)
            QCOMPARE(text->textAtOffset(pair + 1, QAccessible::CharBoundary, &start, &end), whole.mid(pair, 2));
        QSignalSpy copied(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QVERIFY(copied.count() == 1 || copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text(), whole.startsWith(u'\uFEFF') ? whole.mid(1) : whole);
        pressKeys(&view, {"Ctrl+Shift+C"});
        QVERIFY(copied.count() == 2 || copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(bytes.toHex(' ').toUpper()));
    }

    // A request for more than the limit gets the range's beginning, at
    // once; the rest is there for the asking.
    void aScreenReadersRequestIsAnsweredUpToTheLimit()
    {
        const QByteArray bytes = QByteArray(3 * AccessibleText::RangeLimit, 'a') + "end";
        FileTextView &view = showView(bytes);
        QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&view)->textInterface();
        QCOMPARE(text->characterCount(), bytes.size());
        QCOMPARE(text->text(0, text->characterCount()).size(), AccessibleText::RangeLimit);
        QCOMPARE(text->text(text->characterCount() - 4, text->characterCount()), QStringLiteral("aend"));
    }
};

QTEST_MAIN(FileTextSelectionTest)
#include "FileTextSelectionTest.moc"
