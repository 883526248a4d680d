#include "DumpList.h"
#include "FormFixture.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// Runs through the window: its buttons and options before, during and after
// a run, and closing it during one.

class Form1Test : public FormFixture
{
    Q_OBJECT

private slots:
    void optionClicksBeforeAnyRunLeaveEverythingEmpty();
    void wholeRunFillsBothBoxesAndTheStatus();
    void optionClicksOnlyCutTheKeptDumpListAgain();
    void cancelledDialogAndCommand2AfterARunChangeNothingElse();
    void stopEndsTheRunAtTheNextBlock();
    void secondRunIsRefused_data();
    void secondRunIsRefused();
    void closingDuringARunStopsItThenCloses();
};

void Form1Test::optionClicksBeforeAnyRunLeaveEverythingEmpty()
{
    QTest::mouseClick(control<QRadioButton>("Option2"), Qt::LeftButton);
    QVERIFY(control<QRadioButton>("Option2")->isChecked());
    QTest::mouseClick(control<QRadioButton>("Option1"), Qt::LeftButton);
    QVERIFY(control<QRadioButton>("Option1")->isChecked());
    QVERIFY(control<QPlainTextEdit>("Text1")->toPlainText().isEmpty());
    QVERIFY(control<QLabel>("Label1")->text().isEmpty());
    QVERIFY(!control<QPushButton>("Command2")->isEnabled());
    QVERIFY(m_dialogs->filters.isEmpty());
}

void Form1Test::wholeRunFillsBothBoxesAndTheStatus()
{
    runDumpOf(QByteArray::fromHex("48656C6C6F2C20776F726C64210D0A00011F7F80"));
    QCOMPARE(m_dialogs->filters, QStringList{QStringLiteral("テキストファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*")});
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("実行終了14/14"));
    QCOMPARE(control<QPlainTextEdit>("Text1")->toPlainText(),
             QStringLiteral("Address |  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n"
                            "--------+------------------------------------------------: \n"
                            "00000000| 48 65 6C 6C 6F 2C 20 77 6F 72 6C 64 21 0D 0A 00: Hello, world!...\n"
                            "00000010| 01 1F 7F 80                                    : .  .\n"));
    QVERIFY(shownText(control<QWidget>("Text2")).startsWith(QStringLiteral("Hello, world!\n")));
    QVERIFY(control<QPushButton>("Command2")->isEnabled());
    QVERIFY(m_dialogs->messages.isEmpty());
}

void Form1Test::optionClicksOnlyCutTheKeptDumpListAgain()
{
    runDumpOf(QByteArray(20000, 'x'));
    const QString caption = control<QLabel>("Label1")->text();
    const DumpList &list = m_form->engine().dumpList();
    QVERIFY(list.length() > DumpList::DumpLimit);
    auto *text1 = control<QPlainTextEdit>("Text1");
    QCOMPARE(text1->toPlainText(), asShown(list.last(DumpList::DumpLimit)));
    QVERIFY(text1->toPlainText().endsWith(QStringLiteral(": xxxxxxxxxxxxxxxx\n")));

    QTest::mouseClick(control<QRadioButton>("Option2"), Qt::LeftButton);
    QCOMPARE(text1->toPlainText(), asShown(list.first(DumpList::DumpLimit)));
    QVERIFY(text1->toPlainText().startsWith(QStringLiteral("Address |")));

    QTest::mouseClick(control<QRadioButton>("Option1"), Qt::LeftButton);
    QCOMPARE(text1->toPlainText(), asShown(list.last(DumpList::DumpLimit)));
    QCOMPARE(control<QLabel>("Label1")->text(), caption);
    QCOMPARE(m_dialogs->filters.size(), 1);
}

void Form1Test::cancelledDialogAndCommand2AfterARunChangeNothingElse()
{
    runDumpOf("abc");
    const QString dump = control<QPlainTextEdit>("Text1")->toPlainText();
    m_dialogs->chosenPath.reset();
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(m_dialogs->filters.size(), 2);
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("実行終了3/3"));
    QCOMPARE(control<QPlainTextEdit>("Text1")->toPlainText(), dump);
    QCOMPARE(shownText(control<QWidget>("Text2")), QStringLiteral("abc"));

    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QVERIFY(!control<QPushButton>("Command2")->isEnabled());
    QCOMPARE(control<QPlainTextEdit>("Text1")->toPlainText(), dump);
}

void Form1Test::stopEndsTheRunAtTheNextBlock()
{
    whenBlockStarts(2, [this] { QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton); });
    const qint64 size = 3 * Block + 5;
    runDumpOf(QByteArray(size, 'a'));
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("実行終了") + hex(2 * Block) + u'/' + hex(size));
    QVERIFY(!control<QPushButton>("Command2")->isEnabled());
    QCOMPARE(shownText(control<QWidget>("Text2")).size(), 2 * Block);
}

void Form1Test::secondRunIsRefused_data()
{
    QTest::addColumn<bool>("whileChoosing");
    QTest::newRow("a click while the file dialog is open") << true;
    QTest::newRow("a click while the blocks are read") << false;
}

void Form1Test::secondRunIsRefused()
{
    QFETCH(bool, whileChoosing);
    auto *command1 = control<QPushButton>("Command1");
    if (whileChoosing)
        m_dialogs->onChooseFile = [command1] { command1->click(); };
    else
        whenBlockStarts(2, [command1] { QTest::mouseClick(command1, Qt::LeftButton); });
    const qint64 size = 3 * Block;
    runDumpOf(QByteArray(size, 'a'));
    QCOMPARE(m_dialogs->filters.size(), 1);
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("実行終了") + hex(size) + u'/' + hex(size));
    DumpList alone;
    alone.BeginDumpList();
    alone.AppendDumpBytes(QByteArray(size, 'a').constData(), size);
    alone.FinishDumpList();
    QCOMPARE(m_form->engine().dumpList().length(), alone.length());
}

void Form1Test::closingDuringARunStopsItThenCloses()
{
    const qint64 openFiles = QDir(QStringLiteral("/proc/self/fd")).count();
    whenBlockStarts(2, [this] { m_form->close(); });
    const qint64 size = 4 * Block;
    runDumpOf(QByteArray(size, 'a'));
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("実行終了") + hex(2 * Block) + u'/' + hex(size));
    QVERIFY(!m_form->isVisible());
    QVERIFY(!m_form->engine().isRunning());
    QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), openFiles);
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
