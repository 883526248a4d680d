#include "FormFixture.h"

#include "CaptionWatcher.h"
#include "FileText.h"
#include "FileTextView.h"
#include "TextNavigator.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

void FormFixture::init()
{
    m_files = std::make_unique<TestFiles>();
    auto dialogs = std::make_unique<FakeDialogService>();
    m_dialogs = dialogs.get();
    m_form = std::make_unique<Form1>(std::move(dialogs), nullptr, Block);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void FormFixture::cleanup()
{
    m_form.reset();
    m_files.reset();
}

QString FormFixture::runDumpOf(const QByteArray &bytes)
{
    const QString path = m_files->write(QStringLiteral("input.bin"), bytes);
    m_dialogs->chosenPath = path;
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    return path;
}

void FormFixture::whenBlockStarts(qint64 block, std::function<void()> action)
{
    auto *label = control<QLabel>("Label1");
    auto *watcher = new CaptionWatcher(QStringLiteral("実行中 ") + hex((block - 1) * Block + 1) + u'/', std::move(action));
    watcher->setParent(label);
    label->installEventFilter(watcher);
}

QString FormFixture::shownText(const QWidget *box)
{
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(box))
        return edit->toPlainText();
    const auto text = static_cast<const FileTextView *>(box)->fileText();
    return text ? TextNavigator(*text).plainText(BytePosition(0), TextNavigator(*text).end()) : QString();
}

QString FormFixture::asShown(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}
