#pragma once

// What the view's tests share: a view shown with a text, and ways to read
// back what it shows.

#include "Cp932.h"
#include "FileTextView.h"
#include "RandomBytes.h"
#include "TestTexts.h"
#include "TextNavigator.h"

#include <QTest>
#include <memory>

inline QString decoded(const QByteArray &bytes)
{
    return Cp932::instance().decode(bytes.constData(), bytes.size());
}

// As a text box gives its text: each line break one LF.
inline QString plain(const QByteArray &bytes)
{
    return decoded(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

// What a row of the view shows, from its left edge to its right.
inline QString rowText(const FileTextView &view, int row)
{
    const TextNavigator text(*view.fileText());
    const int top = view.positionRect(text.lineStart(view.firstVisibleLine())).top();
    const int y = top + row * view.textFont().lineHeight() + 1;
    const qint64 from = view.positionAt(QPoint(0, y));
    const qint64 to = view.positionAt(QPoint(view.viewport()->width() - 1, y));
    return text.plainText(from, std::max(from, to));
}

inline void pressKeys(QWidget *widget, const QStringList &keys)
{
    for (const QString &key : keys) {
        const QKeyCombination combination = QKeySequence(key)[0];
        QTest::keyClick(widget, combination.key(), combination.keyboardModifiers());
    }
}

// "日本語" CR LF "abcdef" LF "xy" CR "z"
inline const QByteArray Sample("\x93\xFA\x96\x7B\x8C\xEA\r\nabcdef\nxy\rz");

// A view of `bytes`, indexed with the view's own metrics as a run does it,
// shown and focused.
inline std::unique_ptr<FileTextView> shownView(const QByteArray &bytes, QSize size = QSize(400, 200), const QFont &font = QFont())
{
    auto view = std::make_unique<FileTextView>();
    view->setFont(font);
    view->resize(size);
    view->setFileText(fileTextOf(bytes, qint64(1) << 20, view->textMetrics()));
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        qFatal("the view is not shown");
    view->setFocus();
    return view;
}
