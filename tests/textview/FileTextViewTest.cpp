#include "FileMapping.h"
#include "FileText.h"
#include "TestFiles.h"
#include "ViewFixture.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextLayout>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// Where the view places the text, how far it scrolls, and what it shows of
// texts of any size.

class FileTextViewTest : public ViewFixture
{
    Q_OBJECT

private slots:

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
        const int origin = view.positionRect(0_byte).left();
        int index = 0;
        for (BytePosition position; position < text.end(); position = text.positionAfter(position), ++index) {
            const QRect box = view.positionRect(position);
            const qreal expected = origin + qtLine.cursorToX(index);
            QVERIFY2(qAbs(box.left() - expected) <= 1, qPrintable(QStringLiteral("character %1 at %2, not %3").arg(index).arg(box.left()).arg(expected)));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(qRound(expected), box.center().y()));
            QCOMPARE(view.cursorPosition(), position);
        }
        QVERIFY(qAbs(view.positionRect(text.end()).left() - origin - qtLine.naturalTextWidth()) <= 1);
    }

    void theScrollBarsReachTheLastLineAndTheEndOfTheWidestLine()
    {
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "line " + QByteArray::number(i) + (i == 5000 ? "\t" + QByteArray(3000, 'W') + "end" : QByteArray()) + "\r\n";
        FileTextView &view = showView(bytes.chopped(2));
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QCOMPARE(rowText(view, int(view.pageRows()) - 1), QStringLiteral("line 99999"));
        QCOMPARE(view.firstVisibleLine(), LineNumber(100000 - view.pageRows()));
        view.verticalScrollBar()->setValue(5000);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QVERIFY2(rowText(view, 0).endsWith(QStringLiteral("WWend")), qPrintable(rowText(view, 0)));
        // The last character is in view, and no more than a margin after it.
        const TextNavigator text(*view.fileText());
        const int width = view.viewport()->width();
        QVERIFY(view.positionRect(text.lineEnd(5000_line) - 1).right() < width);
        const int endX = view.positionRect(text.lineEnd(5000_line)).left();
        QVERIFY2(endX >= width - 10 && endX < width, qPrintable(QString::number(endX)));
    }

    void aBottomBarTakesItsHeightFromTheTextWhileShown()
    {
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i)
            bytes += "line " + QByteArray::number(i) + "\n";
        FileTextView &view = showView(bytes.chopped(1));
        const int fullHeight = view.viewport()->height();
        auto *bar = new QLabel(QStringLiteral("bar"));
        view.addBottomBar(bar);
        bar->show();
        QCOMPARE(view.viewport()->height(), fullHeight - bar->sizeHint().height());
        // Below the caret's info line, the view's own first bar.
        const auto *infoLine = view.findChild<QLabel *>(QStringLiteral("caretInfo"));
        QCOMPARE(infoLine->geometry().top(), view.viewport()->geometry().bottom() + 1);
        QCOMPARE(bar->geometry().top(), infoLine->geometry().bottom() + 1);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QCOMPARE(rowText(view, int(view.pageRows()) - 1), QStringLiteral("line 999"));
        bar->hide();
        QCOMPARE(view.viewport()->height(), fullHeight);
    }

    void scrollingToTheEndOfALongBinaryLineShowsItsLastCharacters()
    {
        const QByteArray bytes = RandomBytes(12345).nextLine(10 * 1000 * 1000);
        FileTextView &view = showView(bytes);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        const QString row = rowText(view, 0);
        QVERIFY(row.size() >= 10);
        QVERIFY(decoded(bytes).endsWith(row));
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
        QSignalSpy changed(&view, &FileTextView::fileChanged);
        QVERIFY(::truncate(qPrintable(path), 0) == 0);
        QSignalSpy copied(&view, &FileTextView::copied);
        pressKeys(&view, {"Ctrl+A", "Ctrl+C"});
        QVERIFY(copied.wait());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString(bytes.size(), QChar(0)));
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        view.repaint();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.front().front().value<FileMapping::Change>(), FileMapping::Change::Shortened);
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
        QVERIFY(view.positionRect(BytePosition(size)).left() < view.viewport()->width());
    }
};

QTEST_MAIN(FileTextViewTest)
#include "FileTextViewTest.moc"
