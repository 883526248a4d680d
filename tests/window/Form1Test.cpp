#include "FakeDialogService.h"
#include "FileText.h"
#include "FileTextView.h"
#include "Form1.h"
#include "TextNavigator.h"

#include <QAccessible>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr qint64 Block = qint64(1) << 20; // the form is given fixed blocks

// Text as a QPlainTextEdit gives it back: CR LF, CR and LF all end a line.
QString asShown(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

// What a box shows, line breaks as LF.
QString shownText(const QWidget *box)
{
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(box))
        return edit->toPlainText();
    const auto text = static_cast<const FileTextView *>(box)->fileText();
    return text ? TextNavigator(*text).plainText(0, text->size()) : QString();
}

QString hex(qint64 value)
{
    return QString::number(value, 16).toUpper();
}

// Queues an action once a label is painted with a caption that starts
// with the given text.
class CaptionWatcher : public QObject
{
public:
    CaptionWatcher(const QString &caption, std::function<void()> action)
        : m_caption(caption), m_action(std::move(action)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *label = static_cast<QLabel *>(watched);
        if (m_action && event->type() == QEvent::Paint && label->text().startsWith(m_caption))
            QMetaObject::invokeMethod(this, std::exchange(m_action, nullptr), Qt::QueuedConnection);
        return false;
    }

private:
    QString m_caption;
    std::function<void()> m_action;
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsEmptyWithStopDisabledAndOption1Selected();
    void controlsSitWhereTheLayoutPutsThem_data();
    void controlsSitWhereTheLayoutPutsThem();
    void controlsKeepTheirPlaceWhenTheWindowIsResized();
    void captionsOfHugeFilesFitOnOneLine();
    void tabVisitsTheControlsInOrder_data();
    void tabVisitsTheControlsInOrder();
    void screenReadersReadCaptionsTextsAndButtonStates();

    void optionClicksBeforeAnyRunLeaveEverythingEmpty();
    void wholeRunFillsBothBoxesAndTheStatus();
    void optionClicksOnlyCutTheKeptDumpListAgain();
    void cancelledDialogAndCommand2AfterARunChangeNothingElse();
    void stopEndsTheRunAtTheNextBlock();
    void secondRunIsRefused_data();
    void secondRunIsRefused();
    void closingDuringARunStopsItThenCloses();

private:
    template<typename T>
    T *control(const char *name) const;
    QString writeFile(const QString &name, const QByteArray &bytes);
    QString runDumpOf(const QByteArray &bytes);
    void whenBlockStarts(qint64 block, std::function<void()> action);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_form;
    FakeDialogService *m_dialogs = nullptr;
};

template<typename T>
T *Form1Test::control(const char *name) const
{
    T *found = m_form->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void Form1Test::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    auto dialogs = std::make_unique<FakeDialogService>();
    m_dialogs = dialogs.get();
    m_form = std::make_unique<Form1>(std::move(dialogs), nullptr, Block);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void Form1Test::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

QString Form1Test::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// Dumps `bytes` through a click on Command1; returns the path used.
QString Form1Test::runDumpOf(const QByteArray &bytes)
{
    const QString path = writeFile(QStringLiteral("input.bin"), bytes);
    m_dialogs->chosenPath = path;
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    return path;
}

// Queues `action` once, while the run handles its events before `block`
// (counted from 1) is read: Label1 is repainted as each block starts.
void Form1Test::whenBlockStarts(qint64 block, std::function<void()> action)
{
    auto *label = control<QLabel>("Label1");
    auto *watcher = new CaptionWatcher(QStringLiteral("実行中 ") + hex((block - 1) * Block + 1) + u'/', std::move(action));
    watcher->setParent(label);
    label->installEventFilter(watcher);
}

void Form1Test::startsEmptyWithStopDisabledAndOption1Selected()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Hexmoth"));
    QVERIFY(m_form->windowIcon().availableSizes().contains(QSize(16, 16)));
    QCOMPARE(control<QPushButton>("Command1")->text(), QStringLiteral("ファイルを開く"));
    QVERIFY(control<QPushButton>("Command1")->isEnabled());
    QCOMPARE(control<QPushButton>("Command2")->text(), QStringLiteral("停止"));
    QVERIFY(!control<QPushButton>("Command2")->isEnabled());
    QCOMPARE(control<QRadioButton>("Option1")->text(), QStringLiteral("前を削除"));
    QVERIFY(control<QRadioButton>("Option1")->isChecked());
    QCOMPARE(control<QRadioButton>("Option2")->text(), QStringLiteral("後を削除"));
    QVERIFY(!control<QRadioButton>("Option2")->isChecked());
    QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("ダンプリストの文字数が65,531を超える場合"));
    QVERIFY(control<QGroupBox>("Frame1")->title().isEmpty());
    QVERIFY(control<QLabel>("Label1")->text().isEmpty());
    QCOMPARE(control<QPlainTextEdit>("Text1")->lineWrapMode(), QPlainTextEdit::NoWrap);
    for (const char *name : {"Text1", "Text2"}) {
        const auto *box = control<QAbstractScrollArea>(name);
        QVERIFY2(shownText(box).isEmpty(), name);
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    QVERIFY(m_dialogs->filters.isEmpty());
}

void Form1Test::controlsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("parentName");
    const QString form = QStringLiteral("Form1");
    const QString frame = QStringLiteral("Frame1");
    QTest::newRow("Command1 heads the right column") << "Command1" << QRect(528, 8, 97, 25) << form;
    QTest::newRow("Text1 fills the top left") << "Text1" << QRect(0, 0, 505, 225) << form;
    QTest::newRow("Text2 sits under Text1, overlapping it by one pixel") << "Text2" << QRect(0, 224, 505, 193) << form;
    QTest::newRow("Label1 sits under Command1, reaching the window's right edge") << "Label1" << QRect(528, 48, 211, 25) << form;
    QTest::newRow("Command2 sits under Label1") << "Command2" << QRect(528, 80, 89, 17) << form;
    QTest::newRow("Frame1 holds the options at the bottom of the column") << "Frame1" << QRect(520, 96, 145, 105) << form;
    QTest::newRow("Label2 heads Frame1") << "Label2" << QRect(8, 16, 129, 25) << frame;
    QTest::newRow("Option1 sits in Frame1 under Label2") << "Option1" << QRect(8, 48, 73, 25) << frame;
    QTest::newRow("Option2 sits in Frame1 under Option1") << "Option2" << QRect(8, 72, 73, 25) << frame;
}

void Form1Test::controlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, parentName);
    const auto *widget = control<QWidget>(qPrintable(name));
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QVERIFY(widget->isVisible());
}

void Form1Test::controlsKeepTheirPlaceWhenTheWindowIsResized()
{
    QCOMPARE(m_form->size(), QSize(747, 440));
    const auto children = m_form->findChildren<QWidget *>();
    QList<QRect> before;
    for (const QWidget *child : children)
        before << child->geometry();
    for (const QSize size : {QSize(1000, 700), QSize(300, 200)}) {
        m_form->resize(size);
        QTest::qWait(0);
        for (qsizetype i = 0; i < children.size(); ++i)
            QCOMPARE(children.at(i)->geometry(), before.at(i));
    }
}

void Form1Test::captionsOfHugeFilesFitOnOneLine()
{
    m_form->setStatusCaption(QStringLiteral("実行中 13FFFFFF1/140000000"));
    const auto *label = control<QLabel>("Label1");
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
}

void Form1Test::tabVisitsTheControlsInOrder_data()
{
    QTest::addColumn<bool>("afterRun");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("before a run Tab skips the disabled Command2")
        << false << QStringList{"Command1", "Text1", "Text2", "Option1", "Command1"};
    QTest::newRow("after a run Command2 comes last") << true << QStringList{"Command1", "Text1", "Text2", "Option1", "Command2", "Command1"};
}

void Form1Test::tabVisitsTheControlsInOrder()
{
    QFETCH(bool, afterRun);
    QFETCH(QStringList, order);
    if (afterRun)
        runDumpOf("abc");
    QApplication::setActiveWindow(m_form.get());
    control<QPushButton>("Command1")->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), order.at(order.size() - 2));
}

void Form1Test::screenReadersReadCaptionsTextsAndButtonStates()
{
    runDumpOf("abc");
    control<QPushButton>("Command2")->click();
    const auto accessible = [this](const char *name) {
        return QAccessible::queryAccessibleInterface(control<QWidget>(name));
    };
    QCOMPARE(accessible("Label1")->text(QAccessible::Name), QStringLiteral("実行終了3/3"));
    QCOMPARE(accessible("Command1")->text(QAccessible::Name), QStringLiteral("ファイルを開く"));
    QVERIFY(accessible("Command2")->state().disabled);
    QVERIFY(!accessible("Command1")->state().disabled);
    QVERIFY(accessible("Option1")->state().checked);
    QVERIFY(!accessible("Option2")->state().checked);
    for (const char *name : {"Text1", "Text2"}) {
        QAccessibleInterface *box = accessible(name);
        QVERIFY2(!box->text(QAccessible::Name).isEmpty(), name);
        QAccessibleTextInterface *text = box->textInterface();
        QVERIFY2(text, name);
        QCOMPARE(text->text(0, text->characterCount()), shownText(control<QWidget>(name)));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(m_form.get())->role(), QAccessible::Window);
}

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
