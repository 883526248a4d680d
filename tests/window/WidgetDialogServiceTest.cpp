#include "DumpEngine.h"
#include "WidgetDialogService.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <sys/inotify.h>
#include <unistd.h>

class WidgetDialogServiceTest : public QObject
{
    Q_OBJECT

private slots:
    void fileDialogShowsTheDescriptionsInOrder();
    void fileDialogListsWhatEachChoiceMatches_data();
    void fileDialogListsWhatEachChoiceMatches();
    void fileDialogNeverOpensAFileToShowIt();
    void messageBoxHasTheTextOneOkButtonAndTheProgramsName();
};

namespace {

// The names of the files opened in a folder since the watch began.
class OpenWatch
{
public:
    explicit OpenWatch(const QString &folder)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~OpenWatch() { ::close(m_fd); }

    QStringList opened() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char *at = buffer; at < buffer + n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0)
                    names << QFile::decodeName(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

private:
    int m_fd;
};

} // namespace

// A pseudo-file such as /proc/kmsg blocks a read until it has data, and the
// read takes that data: listing a file, showing its icon and type, or
// completing its typed name must never open it.
void WidgetDialogServiceTest::fileDialogNeverOpensAFileToShowIt()
{
    QTemporaryDir dir;
    for (const char *name : {"kmsg", "notes.txt", "image.png"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG\r\n\x1a\n some bytes to read");
    }
    const OpenWatch watch(dir.path());
    const auto dialog = WidgetDialogService::createFileDialog(nullptr, DumpEngine::FileFilter);
    dialog->setDirectory(dir.path());
    dialog->selectNameFilter(dialog->nameFilters().at(1));
    dialog->show();
    auto *model = dialog->findChild<QFileSystemModel *>();
    QVERIFY(model);
    const QModelIndex folder = model->index(dir.path());
    QTRY_COMPARE(model->rowCount(folder), 3);
    for (int row = 0; row < 3; ++row) {
        QVERIFY(!model->data(model->index(row, 0, folder), Qt::DecorationRole).isNull());
        QVERIFY(!model->data(model->index(row, 2, folder)).toString().isEmpty());
    }
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    QTest::keyClicks(name, QStringLiteral("kms"));
    QTest::qWait(200);
    QCOMPARE(watch.opened(), QStringList());
}

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
