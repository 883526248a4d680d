#include "NoticeBar.h"

NoticeBar::NoticeBar(QWidget *view)
    : QLabel(view)
{
    setObjectName(QStringLiteral("notice"));
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setAutoFillBackground(true);
    setMargin(2);
    hide();
}

void NoticeBar::say(const QString &text)
{
    setText(text);
    setVisible(!text.isEmpty());
}
