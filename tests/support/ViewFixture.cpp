#include "ViewFixture.h"

#include "TestTexts.h"

#include <QTest>

FileTextView &ViewFixture::showView(const QByteArray &bytes, QSize size, const QFont &font)
{
    m_view = std::make_unique<FileTextView>();
    m_view->setFont(font);
    m_view->resize(size);
    return show(fileTextOf(bytes, qint64(1) << 20, m_view->textMetrics()));
}

FileTextView &ViewFixture::showView(const QByteArray &bytes, TextEncoding encoding)
{
    m_view = std::make_unique<FileTextView>();
    m_view->resize(400, 200);
    return show(readAs(fileTextOf(bytes, qint64(1) << 20, m_view->textMetrics()), encoding));
}

FileTextView &ViewFixture::show(std::shared_ptr<const FileText> text)
{
    m_view->setFileText(std::move(text));
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        qFatal("the view is not shown");
    m_view->setFocus();
    return *m_view;
}
