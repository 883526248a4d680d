#pragma once

#include "Form1.h"

#include <QElapsedTimer>
#include <functional>

class FileTextView;

// Form1 as the program shows it, telling a benchmark when a whole run
// reaches its steps. Every call is passed on to Form1 unchanged; only the
// moments are noted.
class ObservedForm : public Form1
{
public:
    // Times spent in the window's side of the run, in ms.
    struct Times
    {
        double captionMs = 0;   // all the captions, each repainted at once
        double eventsMs = 0;    // all the events handled between blocks
        double dumpTextMs = 0;  // Text1 filled (ShowDumpList)
        double textPaintMs = 0; // Text2's first paint of the file's text, flush included
    };

    // `fileSize`: the size of the file the run will dump, so that the paint
    // of its text can be told from the paints of the empty Text2 before.
    ObservedForm(std::unique_ptr<DialogService> dialogs, qint64 fileSize);

    // The window's first paint, once it is done.
    std::function<void()> onShown = [] {};
    // Every caption, once Label1 shows it.
    std::function<void(const QString &caption)> onCaption = [](const QString &) {};
    // The caption "実行終了…": every block is read.
    std::function<void()> onFinalCaption = [] {};
    // Text2 has painted the whole file's text once, and that paint is done
    // (the loop has control again).
    std::function<void()> onTextPainted = [] {};

    const Times &times() const { return m_times; }

    void setStatusCaption(const QString &caption) override;
    void handlePendingEvents() override;
    void setDumpText(const QString &text) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isWholeTextShown() const;

    qint64 m_fileSize;
    FileTextView *m_text2;
    bool m_shown = false;
    bool m_textPainted = false;
    QElapsedTimer m_textPaint;
    Times m_times;
};
