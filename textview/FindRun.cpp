#include "FindRun.h"

#include "FileText.h"

#include <QElapsedTimer>
#include <QTimerEvent>

FindRun::FindRun(QObject *parent)
    : QObject(parent)
{
}

FindRun::~FindRun() = default;

void FindRun::start(std::shared_ptr<const FileText> text, FindKind kind, FindPattern pattern, Direction direction, qint64 from)
{
    cancel();
    m_text = std::move(text);
    m_finder.emplace(*m_text, kind, std::move(pattern));
    m_direction = direction;
    m_from = std::clamp<qint64>(from, 0, m_text->size());
    m_next = m_from;
    m_wrapped = false;
    m_looked = 0;
    if (!runSlice(FirstSliceMs))
        m_timer.start(0, this);
}

void FindRun::cancel()
{
    m_timer.stop();
    m_finder.reset();
    m_text.reset();
}

void FindRun::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId())
        return QObject::timerEvent(event);
    if (runSlice(SliceMs))
        m_timer.stop();
    else
        emit progress(int(m_looked * 100 / std::max<qint64>(m_text->size(), 1)));
}

bool FindRun::runSlice(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (m_finder) {
        if (step())
            return true;
        if (clock.elapsed() >= ms)
            return false;
    }
    return true;
}

// Forward: [from, size) then [0, from); backward: [0, from) from its end,
// then [from, size) from its end.
bool FindRun::step()
{
    const qint64 size = m_finder->size();
    const qint64 stretch = m_finder->stretch();
    const bool forward = m_direction == Direction::Forward;
    const qint64 limit = forward ? (m_wrapped ? m_from : size) : (m_wrapped ? m_from : 0);
    if (m_next == limit) {
        if (m_wrapped) {
            finish(std::nullopt);
            return true;
        }
        m_wrapped = true;
        m_next = forward ? 0 : size;
        return false;
    }
    const qint64 from = forward ? m_next : std::max(limit, m_next - stretch);
    const qint64 to = forward ? std::min(limit, m_next + stretch) : m_next;
    const std::optional<FindMatch> match = forward ? m_finder->first(from, to) : m_finder->last(from, to);
    m_looked += to - from;
    m_next = forward ? to : from;
    if (!match)
        return false;
    finish(match);
    return true;
}

void FindRun::finish(const std::optional<FindMatch> &match)
{
    const bool wrapped = m_wrapped;
    cancel();
    if (match)
        emit found(*match, wrapped);
    else
        emit notFound();
}
