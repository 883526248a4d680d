#include "FormFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// How the window looks before and after a run: its controls, their places,
// the order Tab visits them, what screen readers read.

class Form1LayoutTest : public FormFixture
{
    Q_OBJECT

private slots:
    void startsEmptyWithStopDisabledAndOption1Selected();
    void controlsSitWhereTheLayoutPutsThem_data();
    void controlsSitWhereTheLayoutPutsThem();
    void controlsKeepTheirPlaceWhenTheWindowIsResized();
    void captionsOfHugeFilesFitOnOneLine();
    void tabVisitsTheControlsInOrder_data();
    void tabVisitsTheControlsInOrder();
    void screenReadersReadCaptionsTextsAndButtonStates();
};

void Form1LayoutTest::startsEmptyWithStopDisabledAndOption1Selected()
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

void Form1LayoutTest::controlsSitWhereTheLayoutPutsThem_data()
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

void Form1LayoutTest::controlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, parentName);
    const auto *widget = control<QWidget>(qPrintable(name));
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QVERIFY(widget->isVisible());
}

void Form1LayoutTest::controlsKeepTheirPlaceWhenTheWindowIsResized()
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

void Form1LayoutTest::captionsOfHugeFilesFitOnOneLine()
{
    m_form->setStatusCaption(QStringLiteral("実行中 13FFFFFF1/140000000"));
    const auto *label = control<QLabel>("Label1");
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
}

void Form1LayoutTest::tabVisitsTheControlsInOrder_data()
{
    QTest::addColumn<bool>("afterRun");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("before a run Tab skips the disabled Command2")
        << false << QStringList{"Command1", "Text1", "Text2", "Option1", "Command1"};
    QTest::newRow("after a run Command2 comes last") << true << QStringList{"Command1", "Text1", "Text2", "Option1", "Command2", "Command1"};
}

void Form1LayoutTest::tabVisitsTheControlsInOrder()
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

void Form1LayoutTest::screenReadersReadCaptionsTextsAndButtonStates()
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

QTEST_MAIN(Form1LayoutTest)
#include "Form1LayoutTest.moc"
