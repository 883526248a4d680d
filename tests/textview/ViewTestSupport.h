#pragma once

// What the view's tests share besides their fixture (ViewFixture): texts,
// and ways to read back what the view shows and to type into it.

#include "Cp932.h"
#include "FileTextView.h"
#include "RandomBytes.h"
#include "TextNavigator.h"
#include "TextUnitsTesting.h"

#include <QTest>

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
    const BytePosition from = view.positionAt(QPoint(0, y));
    const BytePosition to = view.positionAt(QPoint(view.viewport()->width() - 1, y));
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
