#pragma once

#include "DialogService.h"
#include "DumpEngine.h"
#include "DumpWindow.h"
#include "FileMapping.h"
#include "TextEncoding.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class FileTextView;
class FindBar;
class QAction;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The program's only window. It lays out the controls, sends their clicks
// to the dump engine it owns (Command1 runs a dump, Command2 stops it,
// Option1 and Option2 show the dump list again) and gives the engine the
// services a run needs.
//
// A file can also be given from outside (the command line, a drop on the
// window) and is then dumped as if chosen in the dialog; F5 (and the
// 「再読み込み」 action of Text2's menu) dumps the latest file again.
//
// Closing the window during a run stops the run at its next block; the
// window closes once the run has finished and closed its file.
class Form1 : public QWidget, public DumpWindow
{
    Q_OBJECT
public:
    // Without `dialogs`, Qt's own file dialog and message box.
    // Blocks of `blockLength` bytes, for tests; 0: as the run paces them.
    explicit Form1(std::unique_ptr<DialogService> dialogs = nullptr, QWidget *parent = nullptr, qint64 blockLength = 0);
    ~Form1() override;

    const DumpEngine &engine() const { return m_engine; }
    // Dumps `path` as a click on Command1 would with the path chosen
    // (DumpEngine::DumpFile).
    void openFile(const QString &path);

    // DumpWindow: what the engine's run asks of the window.
    std::optional<QString> chooseFile(const QString &filter) override;
    void setStatusCaption(const QString &caption) override;
    void setStopEnabled(bool enabled) override;
    void handlePendingEvents() override;
    void showMessage(const QString &text) override;
    std::shared_ptr<const TextMetrics> textMetrics() const override;
    void setFileText(std::shared_ptr<const FileText> text) override;
    void setDumpText(const QString &text) override;
    bool isCutFrontSelected() const override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createFrameControls();
    QPlainTextEdit *createTextBox(const QString &name, const QString &accessibleName);
    FileTextView *createFileTextBox();
    void placeControls();
    void orderTabs();
    void connectControls();
    void createActions();
    void runDump();
    void runWith(const std::function<void()> &run);
    void setTextQueriesAvailable(bool available);
    void openDropped(const QList<QUrl> &urls);
    void showFileName();
    void tellFileChanged(FileMapping::Change change);
    void tellCopyCut(qint64 copied);
    void hintEncoding(const FileText &text);
    // Text2's notices, `first` above them.
    void showNotices(const QString &first = QString());

    // What Text2's notice line says of the text until another file is read:
    // another notice (a copy cut) is shown above it, never instead of it.
    QString m_textNotice;
    QAction *m_noticeOffer = nullptr; // offered after m_textNotice
    // The encoding the text read seems to be in, until another file is read
    // or the user chooses one; offered by m_hintOffer.
    std::optional<TextEncoding> m_hint;
    QAction *m_hintOffer = nullptr;

    std::unique_ptr<DialogService> m_dialogs;
    DumpEngine m_engine;
    bool m_choosingFile = false;
    bool m_closeAfterRun = false;

    QPushButton *Command1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    FileTextView *Text2 = nullptr;
    FindBar *m_findBar = nullptr;
    QLabel *Label1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QPushButton *Command2 = nullptr;
    QAction *m_reload = nullptr;
};
