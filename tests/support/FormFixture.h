#pragma once

#include "FakeDialogService.h"
#include "Form1.h"
#include "TestFiles.h"

#include <QObject>
#include <functional>
#include <memory>

// What the window's tests start from: Form1 shown, its dialogs the fakes,
// reading fixed blocks of Block bytes; a new one, and a new folder for the
// files, for every test function.
class FormFixture : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 Block = qint64(1) << 20;

    // The control of that name; the test ends if there is none.
    template<typename T>
    T *control(const char *name) const
    {
        T *found = m_form->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    // Dumps `bytes` through a click on Command1; returns the path used.
    QString runDumpOf(const QByteArray &bytes);
    // Queues `action` once, while the run handles its events before `block`
    // (counted from 1) is read: Label1 is repainted as each block starts.
    void whenBlockStarts(qint64 block, std::function<void()> action);

    // What a box shows, line breaks as LF.
    static QString shownText(const QWidget *box);
    // Text as a QPlainTextEdit gives it back: CR LF, CR and LF all end a line.
    static QString asShown(QString text);
    static QString hex(qint64 value) { return QString::number(value, 16).toUpper(); }

protected:
    std::unique_ptr<TestFiles> m_files;
    std::unique_ptr<Form1> m_form;
    FakeDialogService *m_dialogs = nullptr;

private slots:
    void init();
    void cleanup();
};
