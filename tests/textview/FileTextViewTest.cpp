#include "ClipboardCopy.h"
#include "Cp932.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TestTexts.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <cstring>

namespace {

QString decoded(const QByteArray &bytes)
{
    return Cp932::instance().decode(bytes.constData(), bytes.size());
}

// As a text box gives its text: each line break one LF.
QString plain(const QByteArray &bytes)
{
    return decoded(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

// Bytes of every value but CR and LF, so one line.
QByteArray binaryLine(qsizetype n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &b : bytes) {
        state = state * 1103515245 + 12345;
        b = char(state >> 24);
        if (b == '\r' || b == '\n')
            b = 'x';
    }
    return bytes;
}

void pressKeys(QWidget *widget, const QStringList &keys)
{
    for (const QString &key : keys) {
        const QKeyCombination combination = QKeySequence(key)[0];
        QTest::keyClick(widget, combination.key(), combination.keyboardModifiers());
    }
}

// "日本語" CR LF "abcdef" LF "xy" CR "z"
const QByteArray Sample("\x93\xFA\x96\x7B\x8C\xEA\r\nabcdef\nxy\rz");

} // namespace

class FileTextViewTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FileTextView> m_view;

    FileTextView &showView(const QByteArray &bytes, QSize size = QSize(400, 200))
    {
        m_view = std::make_unique<FileTextView>();
        m_view->resize(size);
        m_view->setFileText(fileTextOf(bytes));
        m_view->show();
        if (!QTest::qWaitForWindowExposed(m_view.get()))
            qFatal("the view is not shown");
        m_view->setFocus();
        return *m_view;
    }

private slots:
    void cleanup() { m_view.reset(); }

    void showsEveryLineOfTheText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("CR LF, LF and CR each end a line") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("Shift-JIS decodes, half-width kana too") << QByteArray("\x93\xFA\x96\x7B\r\n\xB1\xB2")
                                                                << QStringList{"日本", "ｱｲ"};
        QTest::newRow("a final break shows an empty last line") << QByteArray("a\n") << QStringList{"a", ""};
        QTest::newRow("the empty text is one empty line") << QByteArray() << QStringList{""};
        QTest::newRow("a tab and a control character are characters of the line")
            << QByteArray("a\tb\x01" "c") << QStringList{QStringLiteral("a\tb\x01" "c")};
    }

    void showsEveryLineOfTheText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QCOMPARE(showView(bytes).visibleRows(), rows);
    }

    void theScrollBarsReachTheLastLineAndTheEndOfTheLongestLine()
    {
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "line " + QByteArray::number(i) + (i == 5000 ? QByteArray(3000, '-') + "end" : QByteArray()) + "\r\n";
        FileTextView &view = showView(bytes.chopped(2));
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QCOMPARE(view.visibleRows().back(), QStringLiteral("line 99999"));
        QCOMPARE(view.firstVisibleLine(), 100000 - view.pageRows());
        view.verticalScrollBar()->setValue(5000);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QVERIFY2(view.visibleRows().front().endsWith(QStringLiteral("---end")), qPrintable(view.visibleRows().front()));
    }

    void scrollingToTheEndOfALongBinaryLineShowsItsLastCharacters()
    {
        const QByteArray bytes = binaryLine(10 * 1000 * 1000);
        FileTextView &view = showView(bytes);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        const QString row = view.visibleRows().front();
        QVERIFY(row.size() >= view.pageColumns() / 2);
        QVERIFY(decoded(bytes).endsWith(row));
        QCOMPARE(view.horizontalScrollBar()->maximum(), 10 * 1000 * 1000 + 1 - view.pageColumns());
    }

    void scrollingToTheMiddleOfALongBinaryLineShowsItsMiddle()
    {
        const QByteArray bytes = binaryLine(1000000);
        FileTextView &view = showView(bytes);
        view.horizontalScrollBar()->setValue(500000);
        const QString row = view.visibleRows().front();
        const QString text = decoded(bytes);
        QVERIFY(row.size() >= view.pageColumns() / 2);
        const qsizetype at = text.indexOf(row, 0);
        QVERIFY(at > 0);
        // Few double-byte characters before column 500000 keep the row near it.
        QVERIFY(at > 250000 && at <= 500000);
    }

    void selectsWithTheKeys_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Shift+Right takes a double-byte character whole") << QStringList{"Shift+Right"} << QStringLiteral("日");
        QTest::newRow("Shift+End selects to the end of the line") << QStringList{"Shift+End"} << QStringLiteral("日本語");
        QTest::newRow("Shift+Right at the end of a line takes CR LF as one step")
            << QStringList{"End", "Shift+Right"} << QStringLiteral("\n");
        QTest::newRow("Shift+Down keeps the column") << QStringList{"Right", "Shift+Down"} << QStringLiteral("本語\nab");
        QTest::newRow("a shorter line between keeps the column for the next")
            << QStringList{"End", "Down", "Down", "Shift+Up"} << QStringLiteral("\nxy");
        QTest::newRow("a column inside a double-byte character goes to its start")
            << QStringList{"Down", "Right", "Shift+Up"} << QStringLiteral("日本語\na");
        QTest::newRow("Shift+Left at the end takes the last character")
            << QStringList{"Ctrl+End", "Shift+Left"} << QStringLiteral("z");
        QTest::newRow("Left with a selection goes to its start") << QStringList{"Shift+End", "Left", "Shift+Right"}
                                                                 << QStringLiteral("日");
        QTest::newRow("Ctrl+Shift+End selects to the end") << QStringList{"Down", "Ctrl+Shift+End"}
                                                           << QStringLiteral("abcdef\nxy\nz");
        QTest::newRow("Ctrl+A selects everything") << QStringList{"Down", "Ctrl+A"} << plain(Sample);
        QTest::newRow("a move without Shift drops the selection") << QStringList{"Ctrl+A", "Home", "Down"} << QString();
    }

    void selectsWithTheKeys()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, selected);
        FileTextView &view = showView(Sample);
        pressKeys(&view, keys);
        QCOMPARE(view.selectedText(), selected);
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
        const auto leftEdge = [&](qint64 position) { return view.positionRect(position).topLeft() + QPoint(1, 2); };
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, leftEdge(from));
        QTest::mouseMove(view.viewport(), leftEdge(to));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, leftEdge(to));
        QCOMPARE(view.selectedText(), selected);
    }

    void aClickOnTheRightHalfOfAWideCharacterIsAfterIt()
    {
        FileTextView &view = showView(Sample);
        const QRect wide = view.positionRect(2); // 本
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(wide.center().x() - 2, wide.center().y()));
        QCOMPARE(view.cursorPosition(), 2);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(wide.center().x() + 2, wide.center().y()));
        QCOMPARE(view.cursorPosition(), 4);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, view.positionRect(11).topLeft() + QPoint(1, 2));
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
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
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
        QCOMPARE(view.cursorPosition(), 9);
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
        QCOMPARE(view.firstVisibleLine(), 0); // selecting all does not scroll
        pressKeys(&view, {"Ctrl+Home", "PgDown", "PgDown"});
        QCOMPARE(view.firstVisibleLine(), 2 * view.pageRows());
        QVERIFY(view.visibleRows().front() == QStringLiteral("line %1").arg(2 * view.pageRows()));
        pressKeys(&view, {"Ctrl+End"});
        QCOMPARE(view.visibleRows().back(), QString());
        QCOMPARE(view.cursorPosition(), bytes.size());
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
    }

    void screenReadersGetAWindowOfAHugeTextAroundTheCursor()
    {
        const QByteArray bytes = binaryLine(1000000) + "\r\nthe last line";
        FileTextView &view = showView(bytes);
        pressKeys(&view, {"Ctrl+End"});
        QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&view)->textInterface();
        QVERIFY(text->characterCount() <= 64 * 1024);
        const QString shown = text->text(0, text->characterCount());
        QVERIFY(shown.endsWith(QStringLiteral("\nthe last line")));
        QVERIFY(plain(bytes).endsWith(shown));
        QCOMPARE(text->cursorPosition(), text->characterCount());
    }

    void aTextOfFiveGibibytesOfZerosScrollsToItsEnd()
    {
        const qint64 size = qint64(5) << 30;
        auto text = std::make_shared<FileText>(size);
        for (qint64 done = 0; done < size; done += qint64(64) << 20) {
            if (size - done <= qint64(64) << 20)
                std::memcpy(text->end() + (size - done) - 3, "END", 3);
            text->commit(std::min(qint64(64) << 20, size - done));
        }
        FileTextView &view = showView(QByteArray());
        view.setFileText(text);
        QVERIFY(view.horizontalScrollBar()->maximum() <= ScrollScale::BarLimit);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QVERIFY(view.visibleRows().front().endsWith(QStringLiteral("END")));
        QSignalSpy copied(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+Home", "Ctrl+Shift+End", "Ctrl+C"});
        QVERIFY(copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text().size(), FileTextView::CopyLimit);
        QCOMPARE(view.firstVisibleColumn(), size + 1 - view.pageColumns());
    }
};

QTEST_MAIN(FileTextViewTest)
#include "FileTextViewTest.moc"
