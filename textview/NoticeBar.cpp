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
    connect(this, &QLabel::linkActivated, this, [this] {
        if (m_offer)
            QMetaObject::invokeMethod(m_offer, &QAction::trigger, Qt::QueuedConnection);
    });
    hide();
}

void NoticeBar::say(const QString &notice, QAction *offer)
{
    m_notice = notice;
    m_offer = offer;
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
    if (!m_notice.isEmpty() && m_offer && m_offer->isEnabled())
        parts << QStringLiteral("<a href=\"offer\">%1</a>").arg(m_offer->text().remove(u'&').toHtmlEscaped());
    setText(parts.join(QStringLiteral("　")));
    setVisible(!parts.isEmpty());
}
