#include "ViewFixture.h"

#include "TestTexts.h"

#include <QTest>

FileTextView &ViewFixture::showView(const QByteArray &bytes, QSize size, const QFont &font)
{
    m_view = std::make_unique<FileTextView>();
    m_view->setFont(font);
    m_view->resize(size);
    m_view->setFileText(fileTextOf(bytes, qint64(1) << 20, m_view->textMetrics()));
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        qFatal("the view is not shown");
    m_view->setFocus();
    return *m_view;
}
