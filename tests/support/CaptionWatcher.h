#pragma once

#include <QObject>
#include <QString>
#include <functional>

// Queues an action once a label it watches is painted with a caption that
// starts with the given text.
class CaptionWatcher : public QObject
{
public:
    CaptionWatcher(const QString &caption, std::function<void()> action)
        : m_caption(caption), m_action(std::move(action)) {}

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_caption;
    std::function<void()> m_action;
};
