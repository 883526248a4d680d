#include "CaptionWatcher.h"

#include <QEvent>
#include <QLabel>
#include <utility>

bool CaptionWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const auto *label = static_cast<QLabel *>(watched);
    if (m_action && event->type() == QEvent::Paint && label->text().startsWith(m_caption))
        QMetaObject::invokeMethod(this, std::exchange(m_action, nullptr), Qt::QueuedConnection);
    return false;
}
