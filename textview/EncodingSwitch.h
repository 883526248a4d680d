#pragma once

#include "TextEncoding.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QWidget>
#include <memory>

class FileText;
class FileTextView;
class QProgressBar;

// Reads a view's text in another encoding: the bytes of the text as it was
// read (the source) are indexed again, shared and not copied, in slices of
// at most SliceMs, so that the window's events are handled between them. A
// first, shorter slice runs at once, within start(), which is all a text of
// a few mebibytes needs; a longer switch shows its progress in this bar
// across the bottom of the view, with a 中止 button, and Esc in the view
// cancels it (once the find bar, which Esc closes first, is closed).
// Cancelled, the view keeps the text it shows.
class EncodingSwitch : public QWidget
{
    Q_OBJECT

public:
    static constexpr int SliceMs = 5;
    static constexpr int FirstSliceMs = 2;
    // Bytes indexed between two looks at the clock: under a millisecond
    // even on the slowest scans, bytes read in an encoding they are not
    // (some 300 MB/s here).
    static constexpr qint64 StepBytes = qint64(128) << 10;
    // The bar is redrawn at most this often: each redraw costs a turn of
    // the event loop more than a slice of a fast switch.
    static constexpr int ProgressMs = 100;

    // Placed in `view` with FileTextView::addBottomBar.
    explicit EncodingSwitch(FileTextView *view);
    ~EncodingSwitch() override;

    // Ends a switch under way and starts reading `source`'s bytes in
    // `encoding`, with the view's metrics.
    void start(std::shared_ptr<const FileText> source, TextEncoding encoding);
    // Ends a switch under way; nothing is emitted for it.
    void cancel();
    bool isRunning() const { return m_text != nullptr; }
    // Slices run so far by the switch under way or the last one.
    int slices() const { return m_slices; }

signals:
    // The whole source read in the new encoding.
    void finished(std::shared_ptr<const FileText> text);
    // A switch under way was ended by the user (Esc, 中止).
    void cancelled();

protected:
    void timerEvent(QTimerEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Indexes until `ms` are up; true when the whole source is read.
    bool runSlice(int ms);
    void finish();
    void cancelByUser();

    FileTextView *m_view;
    QProgressBar *m_progress;
    std::shared_ptr<FileText> m_text; // being indexed
    QBasicTimer m_timer;
    QElapsedTimer m_sinceProgress;
    int m_slices = 0;
};
