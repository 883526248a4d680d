#include "DumpEngine.h"
#include "WidgetDialogService.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

class WidgetDialogServiceTest : public QObject
{
    Q_OBJECT

private slots:
    void fileDialogShowsTheDescriptionsInOrder();
    void fileDialogListsWhatEachChoiceMatches_data();
    void fileDialogListsWhatEachChoiceMatches();
    void messageBoxHasTheTextOneOkButtonAndTheProgramsName();
};

void WidgetDialogServiceTest::fileDialogShowsTheDescriptionsInOrder()
{
    const auto dialog = WidgetDialogService::createFileDialog(nullptr, DumpEngine::FileFilter);
    const auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    QCOMPARE(shown, (QStringList{QStringLiteral("テキストファイル(*.txt)"), QStringLiteral("全てのファイル(*.*)")}));
    QCOMPARE(types->currentIndex(), 0);
    QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
}

void WidgetDialogServiceTest::fileDialogListsWhatEachChoiceMatches_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("text files: only names ending in .txt") << 0 << QStringList{"notes.txt"};
    QTest::newRow("all files: names without a dot too") << 1 << QStringList{"README", "data.bin", "notes.txt"};
}

void WidgetDialogServiceTest::fileDialogListsWhatEachChoiceMatches()
{
    QFETCH(int, choice);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const char *name : {"notes.txt", "README", "data.bin"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto dialog = WidgetDialogService::createFileDialog(nullptr, DumpEngine::FileFilter);
    dialog->setDirectory(dir.path());
    dialog->selectNameFilter(dialog->nameFilters().at(choice));
    auto *model = dialog->findChild<QFileSystemModel *>();
    QVERIFY(model);
    const QModelIndex folder = model->index(dir.path());
    const auto names = [&] {
        QStringList result;
        for (int row = 0; row < model->rowCount(folder); ++row)
            result << model->index(row, 0, folder).data().toString();
        result.sort();
        return result;
    };
    QTRY_COMPARE(names(), listed);
}

void WidgetDialogServiceTest::messageBoxHasTheTextOneOkButtonAndTheProgramsName()
{
    const auto box = WidgetDialogService::createMessageBox(nullptr, QStringLiteral("「a」を開けません。"));
    QCOMPARE(box->windowTitle(), QStringLiteral("Hexmoth"));
    QCOMPARE(box->text(), QStringLiteral("「a」を開けません。"));
    QCOMPARE(box->buttons().size(), 1);
    QCOMPARE(box->standardButton(box->buttons().constFirst()), QMessageBox::Ok);
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
}

QTEST_MAIN(WidgetDialogServiceTest)
#include "WidgetDialogServiceTest.moc"
