#include "EncodedTexts.h"
#include "EncodingSwitch.h"
#include "FileText.h"
#include "TextCodec.h"
#include "TestTexts.h"
#include "ViewFixture.h"
#include "ViewTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTimer>

// Text2 read in another encoding: the same bytes, the caret and the
// selection kept on them, in slices that leave the window served.

namespace {

// The sentences again and again, CR LF after each, until `bytes` are
// reached in `encoding`.
QString japaneseLines(qint64 bytes, TextEncoding encoding)
{
    const QStringList sentences = japaneseSentences();
    QString line = sentences.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    const qint64 lineBytes = encodedAs(line, encoding).size();
    return line.repeated(qsizetype(std::max<qint64>(1, bytes / lineBytes)));
}

QString infoLineText(const FileTextView &view)
{
    return view.findChild<QLabel *>(QStringLiteral("caretInfo"))->text();
}

} // namespace

Q_DECLARE_METATYPE(TextEncoding)

class EncodingSwitchTest : public ViewFixture
{
    Q_OBJECT

private slots:
    void keepsTheCaretAndTheSelectionOnTheirBytes_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("UTF-8") << TextEncoding::Utf8;
        QTest::newRow("EUC-JP") << TextEncoding::EucJp;
        QTest::newRow("UTF-16LE") << TextEncoding::Utf16Le;
        QTest::newRow("UTF-16BE") << TextEncoding::Utf16Be;
    }

    void keepsTheCaretAndTheSelectionOnTheirBytes()
    {
        QFETCH(TextEncoding, encoding);
        const QString text = japaneseLines(30000, encoding);
        FileTextView &view = showView(encodedAs(text, encoding));
        // From a byte that need not start a character in either reading, to
        // two thirds in: the view scrolls down to the caret.
        view.setSelection(BytePosition(view.fileText()->size() / 3 + 1), BytePosition(view.fileText()->size() * 2 / 3 + 1));
        const BytePosition anchor = view.selectionStart(), caret = view.cursorPosition();
        const qint64 caretRow = TextNavigator(*view.fileText()).lineOf(caret) - view.firstVisibleLine();
        QVERIFY(view.firstVisibleLine() > 0_line);

        view.setTextEncoding(encoding);
        QCOMPARE(view.textEncoding(), encoding);
        QCOMPARE(view.fileText()->toString(), text);
        const TextNavigator shown(*view.fileText());
        QCOMPARE(view.selectionStart(), shown.positionNear(anchor));
        QCOMPARE(view.cursorPosition(), shown.positionNear(caret));
        QCOMPARE(shown.lineOf(view.cursorPosition()) - view.firstVisibleLine(), caretRow);
        QVERIFY(view.encodingAction(encoding)->isChecked());
        QVERIFY2(infoLineText(view).startsWith(textCodec(encoding).name() + QStringLiteral("  アドレス ")), qPrintable(infoLineText(view)));
    }

    void theMenusCheckFollowsTheTextShown()
    {
        FileTextView &view = showView(encodedAs(japaneseLines(100, TextEncoding::Utf8), TextEncoding::Utf8));
        const std::shared_ptr<const FileText> asRead = view.fileText();
        QStringList items;
        QTimer::singleShot(0, this, [&items] {
            QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            for (const QAction *action : menu ? menu->actions() : QList<QAction *>()) {
                if (action->menu() && action->text() == QStringLiteral("文字コード(&E)")) {
                    for (const QAction *item : action->menu()->actions())
                        items << (item->isChecked() ? QStringLiteral("● ") : QString()) + item->text();
                    action->menu()->actions().at(1)->trigger();
                }
            }
            if (menu)
                menu->close();
        });
        pressKeys(&view, {"Shift+F10"});
        QCOMPARE(items, QStringList({"● Shift_JIS (コードページ 932)", "UTF-8", "EUC-JP", "UTF-16LE", "UTF-16BE"}));
        QCOMPARE(view.textEncoding(), TextEncoding::Utf8);
        QVERIFY(view.encodingAction(TextEncoding::Utf8)->isChecked());
        view.encodingAction(TextEncoding::Cp932)->trigger();
        QCOMPARE(view.fileText(), asRead);
        QVERIFY(view.encodingAction(TextEncoding::Cp932)->isChecked());
        view.setTextEncoding(TextEncoding::EucJp);
        view.setFileText(fileTextOf("new", qint64(1) << 20, view.textMetrics()));
        QVERIFY2(view.encodingAction(TextEncoding::Cp932)->isChecked(), "a new text is read as code page 932");
        view.setEncodingChoiceAvailable(false);
        QVERIFY(!view.encodingAction(TextEncoding::Utf8)->isEnabled());
    }

    void aLongSwitchRunsInSlicesBetweenTheWindowsEvents_data()
    {
        QTest::addColumn<QString>("interruption"); // "": none
        QTest::newRow("run to its end") << QString();
        QTest::newRow("Esc ends it, the text stays") << QStringLiteral("Esc");
        QTest::newRow("a new text ends it") << QStringLiteral("new text");
    }

    void aLongSwitchRunsInSlicesBetweenTheWindowsEvents()
    {
        QFETCH(QString, interruption);
        const QString text = japaneseLines(qint64(48) << 20, TextEncoding::Utf8);
        FileTextView &view = showView(encodedAs(text, TextEncoding::Utf8));
        const std::shared_ptr<const FileText> asRead = view.fileText();
        auto *bar = view.findChild<EncodingSwitch *>();
        int turns = 0;
        QTimer ticker;
        ticker.callOnTimeout([&turns] { ++turns; });
        ticker.start(0);
        view.setTextEncoding(TextEncoding::Utf8);
        QVERIFY(view.isSwitchingEncoding());
        QVERIFY(bar->isVisible());
        QCoreApplication::processEvents(); // a slice, perhaps
        if (interruption == QStringLiteral("Esc"))
            QTest::keyClick(&view, Qt::Key_Escape);
        else if (!interruption.isEmpty())
            view.setFileText(asRead);
        QTRY_VERIFY_WITH_TIMEOUT(!view.isSwitchingEncoding(), 60000);
        QVERIFY(!bar->isVisible());
        if (!interruption.isEmpty()) {
            QCOMPARE(view.fileText(), asRead);
            QVERIFY(view.encodingAction(TextEncoding::Cp932)->isChecked());
            return;
        }
        QVERIFY2(bar->slices() > 1, qPrintable(QString::number(bar->slices())));
        QVERIFY2(turns >= bar->slices() - 1, "the event loop turns between two slices");
        QCOMPARE(view.fileText()->size(), asRead->size());
        QCOMPARE(view.fileText()->toString(), text);
    }
};

QTEST_MAIN(EncodingSwitchTest)
#include "EncodingSwitchTest.moc"
