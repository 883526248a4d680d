#pragma once

#include "FileTextView.h"
#include "TextEncoding.h"

#include <QFont>
#include <QObject>
#include <QSize>
#include <memory>

// What the view's tests start from: one view of a text, indexed with the
// view's own metrics as a run does it, shown and focused; gone after each
// test function.
class ViewFixture : public QObject
{
    Q_OBJECT

public:
    FileTextView &showView(const QByteArray &bytes, QSize size = QSize(400, 200), const QFont &font = QFont());
    // The bytes read in `encoding`, as a switch of the encoding reads them.
    FileTextView &showView(const QByteArray &bytes, TextEncoding encoding);

private slots:
    void cleanup() { m_view.reset(); }

private:
    FileTextView &show(std::shared_ptr<const FileText> text);

    std::unique_ptr<FileTextView> m_view;
};
