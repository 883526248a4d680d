#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>

class QAction;

// A line across the top of a text view that tells something about the text
// shown, in the colours of a tooltip: the name of the file it was read from
// (its full path as the tooltip), then a notice, then, while there is a
// notice, an action offered as a link. Hidden while it has nothing to say.
class NoticeBar : public QLabel
{
    Q_OBJECT

public:
    explicit NoticeBar(QWidget *view);

    // Each offer is triggered when its link is clicked, the links in the
    // order given. A disabled action gets no link.
    void say(const QString &notice, const QList<QAction *> &offers = {});
    void showFile(const QString &name, const QString &path);
    QString notice() const { return m_notice; }
    QString fileName() const { return m_fileName; }
    // The height it takes from the top of the view.
    int heightInView() const { return isVisible() ? sizeHint().height() : 0; }

private:
    void compose();

    QString m_notice;
    QString m_fileName;
    QList<QPointer<QAction>> m_offers;
};
