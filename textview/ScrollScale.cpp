#include "ScrollScale.h"

#include <algorithm>

namespace {

__extension__ using Wide = __int128;

// a * b / c, rounded to the nearest, without overflow; all are >= 0, c > 0.
qint64 scale(qint64 a, qint64 b, qint64 c)
{
    return qint64((Wide(a) * b + c / 2) / c);
}

} // namespace

ScrollScale::ScrollScale(qint64 maximum)
    : m_maximum(std::max<qint64>(maximum, 0))
{
}

int ScrollScale::barMaximum() const
{
    return isScaled() ? BarLimit : int(m_maximum);
}

int ScrollScale::toBar(qint64 position) const
{
    position = std::clamp<qint64>(position, 0, m_maximum);
    return isScaled() ? int(scale(position, BarLimit, m_maximum)) : int(position);
}

qint64 ScrollScale::fromBar(int value) const
{
    value = std::clamp(value, 0, barMaximum());
    return isScaled() ? scale(value, m_maximum, BarLimit) : value;
}
