#include "HexmothApplication.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QTest>
#include <QTimer>
#include <new>

class HexmothApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void namesTheProgramForTheDesktop();
    void speaksJapaneseInQtsOwnDialogs_data();
    void speaksJapaneseInQtsOwnDialogs();
    void anEventThatRunsOutOfMemoryFailsAlone();
};

namespace {

class GreedyObject : public QObject
{
public:
    bool event(QEvent *) override { throw std::bad_alloc(); }
};

} // namespace

void HexmothApplicationTest::anEventThatRunsOutOfMemoryFailsAlone()
{
    GreedyObject greedy;
    QEvent event(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&greedy, &event));
    QTimer::singleShot(0, &greedy, [] { throw std::bad_alloc(); });
    bool later = false;
    QTimer::singleShot(1, [&] { later = true; });
    QTRY_VERIFY(later);
}

void HexmothApplicationTest::namesTheProgramForTheDesktop()
{
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Hexmoth"));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("hexmoth"));
    QVERIFY(QGuiApplication::windowIcon().availableSizes().contains(QSize(16, 16)));
}

void HexmothApplicationTest::speaksJapaneseInQtsOwnDialogs_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("japanese");
    QTest::newRow("the file dialog's cancel button") << "QPlatformTheme" << "Cancel" << "キャンセル";
    QTest::newRow("the file dialog's file type caption") << "QFileDialog" << "Files of type:" << "ファイルの種類:";
}

void HexmothApplicationTest::speaksJapaneseInQtsOwnDialogs()
{
    QFETCH(QString, context);
    QFETCH(QString, english);
    QFETCH(QString, japanese);
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm")))
        QSKIP("Qt's Japanese translations are not installed");
    QCOMPARE(QCoreApplication::translate(qPrintable(context), qPrintable(english)), japanese);
    QCOMPARE(QLocale().language(), QLocale::Japanese);
}

int main(int argc, char *argv[])
{
    HexmothApplication app(argc, argv);
    HexmothApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HexmothApplicationTest.moc"
