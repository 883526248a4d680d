#include "ClipboardCopy.h"
#include "Cp932.h"
#include "FileMapping.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TestFiles.h"
#include "TestTexts.h"
#include "TextNavigator.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

// What a row of the view shows, from its left edge to its right.
QString rowText(const FileTextView &view, int row)
{
    const TextNavigator text(*view.fileText());
    const int top = view.positionRect(text.lineStart(view.firstVisibleLine())).top();
    const int y = top + row * view.textFont().lineHeight() + 1;
    const qint64 from = view.positionAt(QPoint(0, y));
    const qint64 to = view.positionAt(QPoint(view.viewport()->width() - 1, y));
    return text.plainText(from, std::max(from, to));
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

    FileTextView &showView(const QByteArray &bytes, QSize size = QSize(400, 200), const QFont &font = QFont())
    {
        m_view = std::make_unique<FileTextView>();
        m_view->setFont(font);
        m_view->resize(size);
        m_view->setFileText(fileTextOf(bytes, qint64(1) << 20, m_view->textMetrics()));
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
        QTest::newRow("a tab and a control character are characters of the line")
            << QByteArray("a\tb\x01" "c") << QStringList{QStringLiteral("a\tb\x01" "c")};
    }

    void showsEveryLineOfTheText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        FileTextView &view = showView(bytes);
        for (int row = 0; row < rows.size(); ++row)
            QCOMPARE(rowText(view, row), rows[row]);
    }

    // Qt's own layout of the same line, in the same font with the same tab
    // stops, is where every character should stand.
    void placesEveryCharacterAsQtsOwnLayoutDoes_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("the window's Japanese font") << QStringLiteral("IPAPGothic");
        QTest::newRow("a font with kerning") << QStringLiteral("DejaVu Sans");
    }

    void placesEveryCharacterAsQtsOwnLayoutDoes()
    {
        QFETCH(QString, family);
        // int main() {<TAB>ファイルの中身 AVAWAT To<TAB>ﾊﾝｶｸ「日本語」。<TAB>x=1;
        const QByteArray bytes("int main() {\t\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x92\x86\x90\x67 AVAWAT To\t\xCA\xDD\xB6\xB8"
                               "\x81\x75\x93\xFA\x96\x7B\x8C\xEA\x81\x76\x81\x42\tx=1;");
        FileTextView &view = showView(bytes, QSize(700, 100), QFont(family, 9));
        const QString line = decoded(bytes);
        QTextLayout layout(line, view.textFont().font());
        QTextOption option;
        option.setTabStopDistance(view.textFont().tabStopDistance());
        layout.setTextOption(option);
        layout.beginLayout();
        const QTextLine qtLine = layout.createLine();
        layout.endLayout();
        const TextNavigator text(*view.fileText());
        const int origin = view.positionRect(0).left();
        int index = 0;
        for (qint64 position = 0; position < bytes.size(); position = text.positionAfter(position), ++index) {
            const QRect box = view.positionRect(position);
            const qreal expected = origin + qtLine.cursorToX(index);
            QVERIFY2(qAbs(box.left() - expected) <= 1, qPrintable(QStringLiteral("character %1 at %2, not %3").arg(index).arg(box.left()).arg(expected)));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(qRound(expected), box.center().y()));
            QCOMPARE(view.cursorPosition(), position);
        }
        QVERIFY(qAbs(view.positionRect(bytes.size()).left() - origin - qtLine.naturalTextWidth()) <= 1);
    }

    void theScrollBarsReachTheLastLineAndTheEndOfTheWidestLine()
    {
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "line " + QByteArray::number(i) + (i == 5000 ? "\t" + QByteArray(3000, 'W') + "end" : QByteArray()) + "\r\n";
        FileTextView &view = showView(bytes.chopped(2));
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QCOMPARE(rowText(view, int(view.pageRows()) - 1), QStringLiteral("line 99999"));
        QCOMPARE(view.firstVisibleLine(), 100000 - view.pageRows());
        view.verticalScrollBar()->setValue(5000);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QVERIFY2(rowText(view, 0).endsWith(QStringLiteral("WWend")), qPrintable(rowText(view, 0)));
        // The last character is in view, and no more than a margin after it.
        const TextNavigator text(*view.fileText());
        const int width = view.viewport()->width();
        QVERIFY(view.positionRect(text.lineEnd(5000) - 1).right() < width);
        const int endX = view.positionRect(text.lineEnd(5000)).left();
        QVERIFY2(endX >= width - 10 && endX < width, qPrintable(QString::number(endX)));
    }

    void scrollingToTheEndOfALongBinaryLineShowsItsLastCharacters()
    {
        const QByteArray bytes = binaryLine(10 * 1000 * 1000);
        FileTextView &view = showView(bytes);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        const QString row = rowText(view, 0);
        QVERIFY(row.size() >= 10);
        QVERIFY(decoded(bytes).endsWith(row));
    }

    void scrollingToTheMiddleOfALongBinaryLineShowsItsMiddle()
    {
        const QByteArray bytes = binaryLine(1000000);
        FileTextView &view = showView(bytes);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
        const QString row = rowText(view, 0);
        const QString text = decoded(bytes);
        QVERIFY(row.size() >= 10);
        const qsizetype at = text.indexOf(row, 0);
        QVERIFY(at > text.size() / 4 && at < text.size() * 3 / 4);
    }

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

    void selectsWithTheKeys()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, selected);
        FileTextView &view = showView(Sample);
        pressKeys(&view, keys);
        QCOMPARE(view.selectedText(), selected);
    }

    // Up and down go to the place of the next line nearest to where the
    // caret stood when they began, through shorter lines.
    void upAndDownKeepTheCaretsX()
    {
        FileTextView &view = showView("WWWWWWWW\nii\nabcdefghijkl");
        for (qint64 start = 0; start <= 8; ++start) {
            view.setSelection(start, start);
            const int x = view.positionRect(start).left();
            pressKeys(&view, {"Down", "Down"});
            const qint64 below = view.cursorPosition();
            QVERIFY(below >= 12 && below <= 24);
            for (qint64 other : {below - 1, below + 1})
                if (other >= 12 && other <= 24)
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
        QCOMPARE(rowText(view, 0), QStringLiteral("line %1").arg(2 * view.pageRows()));
        pressKeys(&view, {"Ctrl+End"});
        QCOMPARE(view.cursorPosition(), bytes.size());
        QCOMPARE(view.firstVisibleLine(), 1001 - view.pageRows());
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
        QCOMPARE(text->offsetAtPoint(view.viewport()->mapToGlobal(view.positionRect(9).center() - QPoint(2, 0))), 5);
        QCOMPARE(text->characterRect(5).topLeft(), view.viewport()->mapToGlobal(view.positionRect(9).topLeft()));
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

    void aMappedFileShortenedAfterItIsShownIsPaintedAndCopiedAsZeros()
    {
        FileTextView &view = showView(QByteArray());
        TestFiles files;
        const QByteArray bytes = QByteArray("first line\r\n") + QByteArray(3 << 20, 'x');
        const QString path = files.write("shown.txt", bytes);
        const int fd = ::open(qPrintable(path), O_RDONLY);
        QVERIFY(fd >= 0);
        auto text = std::make_shared<FileText>(FileMapping::map(fd, bytes.size()), view.textMetrics());
        for (qint64 done = 0; done < bytes.size(); done += qint64(1) << 20) {
            const qint64 n = std::min(qint64(1) << 20, bytes.size() - done);
            QCOMPARE(::read(fd, text->blockBuffer(n), std::size_t(n)), ssize_t(n));
            text->commit(n);
        }
        ::close(fd);
        view.setFileText(text);
        QCOMPARE(rowText(view, 0), QStringLiteral("first line"));
        QSignalSpy vanished(&view, &FileTextView::textVanished);
        QVERIFY(::truncate(qPrintable(path), 0) == 0);
        QSignalSpy copied(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QVERIFY(copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString(bytes.size(), QChar(0)));
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        view.repaint();
        QCOMPARE(vanished.count(), 1);
    }

    void aTextOfFiveGibibytesOfZerosScrollsToItsEnd()
    {
        FileTextView &view = showView(QByteArray());
        const qint64 size = qint64(5) << 30;
        auto text = std::make_shared<FileText>(size, view.textMetrics());
        for (qint64 done = 0; done < size; done += qint64(64) << 20) {
            const qint64 n = std::min(qint64(64) << 20, size - done);
            char *block = text->blockBuffer(n);
            if (done + n == size)
                std::memcpy(block + n - 3, "END", 3);
            text->commit(n);
        }
        view.setFileText(text);
        QVERIFY(view.horizontalScrollBar()->maximum() <= ScrollScale::BarLimit);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QVERIFY(rowText(view, 0).endsWith(QStringLiteral("END")));
        QSignalSpy copied(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+Home", "Ctrl+Shift+End", "Ctrl+C"});
        QVERIFY(copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text().size(), FileTextView::CopyLimit);
        QVERIFY(view.positionRect(size).left() < view.viewport()->width());
    }
};

QTEST_MAIN(FileTextViewTest)
#include "FileTextViewTest.moc"
