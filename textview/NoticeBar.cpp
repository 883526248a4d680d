#include "NoticeBar.h"

#include <QAction>

NoticeBar::NoticeBar(QWidget *view)
    : QLabel(view)
{
    setObjectName(QStringLiteral("notice"));
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setAutoFillBackground(true);
    setMargin(2);
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    // Queued: what the action does may well change this very label.
    connect(this, &QLabel::linkActivated, this, [this](const QString &link) {
        const qsizetype i = link == QLatin1String("offer") ? 0 : link.mid(5).toInt();
        if (i >= 0 && i < m_offers.size() && m_offers[i])
            QMetaObject::invokeMethod(m_offers[i], &QAction::trigger, Qt::QueuedConnection);
    });
    hide();
}

void NoticeBar::say(const QString &notice, const QList<QAction *> &offers)
{
    m_notice = notice;
    m_offers.clear();
    for (QAction *offer : offers)
        m_offers << offer;
    compose();
}

void NoticeBar::showFile(const QString &name, const QString &path)
{
    m_fileName = name;
    setToolTip(path);
    compose();
}

void NoticeBar::compose()
{
    QStringList parts;
    if (!m_fileName.isEmpty())
        parts << QStringLiteral("<b>%1</b>").arg(m_fileName.toHtmlEscaped());
    if (!m_notice.isEmpty())
        parts << m_notice.toHtmlEscaped();
    for (qsizetype i = 0; i < m_offers.size() && !m_notice.isEmpty(); ++i) {
        const QAction *offer = m_offers[i];
        const QString link = i == 0 ? QStringLiteral("offer") : QStringLiteral("offer%1").arg(i);
        if (offer && offer->isEnabled())
            parts << QStringLiteral("<a href=\"%1\">%2</a>").arg(link, offer->text().remove(u'&').toHtmlEscaped());
    }
    setText(parts.join(QStringLiteral("　")));
    setVisible(!parts.isEmpty());
}
