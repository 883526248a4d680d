#pragma once

#include "TextFinder.h"

#include <QBasicTimer>
#include <QObject>
#include <memory>
#include <optional>

class FileText;

// One search through a whole text, from a place to the text's end and on
// around from the other end back to that place, in slices of at most
// SliceMs each, so that the window's events are handled between them. A
// first, shorter slice runs at once, within start(), which is all a short
// text needs; the others run from timer events.
class FindRun : public QObject
{
    Q_OBJECT

public:
    static constexpr int SliceMs = 5;
    // The event that starts a search may come after others in the same
    // turn of the loop; the second slice may come right after it too.
    static constexpr int FirstSliceMs = 2;

    enum class Direction { Forward, Backward };

    explicit FindRun(QObject *parent = nullptr);
    ~FindRun() override;

    // Forward: the first match that starts at or after `from`, else the
    // first from the front. Backward: the last match that starts before
    // `from`, else the last from the end. Ends a search under way.
    void start(std::shared_ptr<const FileText> text, FindKind kind, FindPattern pattern, Direction direction, qint64 from);
    // Ends a search under way; nothing is emitted for it.
    void cancel();
    bool isRunning() const { return m_finder.has_value(); }

signals:
    // `wrapped`: found past the text's end (or before its start, backward).
    void found(const FindMatch &match, bool wrapped);
    void notFound();
    // The share of the text looked through so far, 0-100, after each slice
    // of a search that takes more than one.
    void progress(int percent);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    // Runs stretches until `ms` are up; true when the search ended.
    bool runSlice(int ms);
    // One stretch; true when the search ended.
    bool step();
    void finish(const std::optional<FindMatch> &match);

    std::shared_ptr<const FileText> m_text;
    std::optional<TextFinder> m_finder;
    Direction m_direction = Direction::Forward;
    qint64 m_from = 0;  // where the search began
    qint64 m_next = 0;  // the next stretch's edge: its start forward, its end backward
    bool m_wrapped = false;
    qint64 m_looked = 0; // bytes looked through
    QBasicTimer m_timer;
};
