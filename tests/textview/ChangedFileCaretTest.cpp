#include "FileText.h"
#include "KeyNavigator.h"
#include "LineLayout.h"
#include "TestFiles.h"
#include "TestTexts.h"
#include "TextUnitsTesting.h"

#include <QFile>
#include <QTest>

// The caret keys over a text shown from its file after the file was
// shortened or rewritten without its line breaks: each key goes where it
// says, as far as the lines the text was read with allow.

namespace {

using Move = KeyNavigator::Move;
constexpr qint64 Size = qint64(2) << 20;
constexpr qint64 PageRows = 20;

QByteArray shiftJisLines()
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < Size; ++i)
        bytes += "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x8D\x73 " + QByteArray::number(i) + "\r\n";
    bytes.truncate(Size);
    return bytes;
}

// The line a key leads to from `line`, of `lines`.
LineNumber lineAfter(Move move, LineNumber line, LineNumber lines)
{
    switch (move) {
    case Move::PreviousLine:
        return std::max(line - 1, 0_line);
    case Move::NextLine:
        return std::min(line + 1, lines - 1);
    case Move::PreviousPage:
        return std::max(line - PageRows, 0_line);
    case Move::NextPage:
        return std::min(line + PageRows, lines - 1);
    default:
        return line;
    }
}

} // namespace

Q_DECLARE_METATYPE(Move)

class ChangedFileCaretTest : public QObject
{
    Q_OBJECT

    TestFiles files;

private slots:
    void everyCaretKeyMovesWhereItCan_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<qint64>("from");
        const QList<std::pair<const char *, QString>> changes{
            {"shortened to half", "half"}, {"shortened within a line", "cut"}, {"rewritten without line breaks", "flat"}};
        const QList<std::pair<const char *, qint64>> places{{"from the end", Size}, {"from inside the lost part", Size * 3 / 4}, {"from the start", 0}};
        for (const auto &[changeName, change] : changes) {
            for (const auto &[placeName, from] : places)
                QTest::addRow("%s, %s", changeName, placeName) << change << from;
        }
    }

    void everyCaretKeyMovesWhereItCan()
    {
        QFETCH(QString, change);
        QFETCH(qint64, from);
        const QString path = files.write(QStringLiteral("lines.txt"), shiftJisLines());
        const auto text = mappedTextOf(path);
        QVERIFY(text);
        if (change == QLatin1String("flat"))
            files.write(QStringLiteral("lines.txt"), QByteArray(Size, 'x'));
        else
            QVERIFY(QFile::resize(path, change == QLatin1String("half") ? Size / 2 : Size / 2 + 7));
        const TextNavigator navigator(*text);
        const LineLayout layout(*text, text->index().characters());
        const KeyNavigator keys(navigator, layout, PageRows);
        TextCursor cursor;
        cursor.moveTo(navigator.positionNear(BytePosition(from)), false);
        // Up eight times, a page up thrice, Home, End, down and a page down
        const Move presses[] = {Move::PreviousLine, Move::PreviousLine, Move::PreviousLine, Move::PreviousLine,
                                Move::PreviousLine, Move::PreviousLine, Move::PreviousLine, Move::PreviousLine,
                                Move::PreviousPage, Move::PreviousPage, Move::PreviousPage, Move::StartOfLine,
                                Move::EndOfLine,    Move::NextLine,     Move::NextPage,     Move::StartOfLine};
        for (const Move move : presses) {
            const LineNumber line = navigator.lineOf(cursor.position());
            const BytePosition to = keys.target({move, false}, cursor);
            const LineNumber wanted = lineAfter(move, line, navigator.lineCount());
            QCOMPARE(navigator.lineOf(to), wanted);
            if (move == Move::StartOfLine)
                QCOMPARE(to, navigator.lineStart(line));
            if (move == Move::EndOfLine)
                QCOMPARE(to, navigator.lineEnd(line));
            cursor.moveTo(to, false);
        }
    }
};

QTEST_APPLESS_MAIN(ChangedFileCaretTest)
#include "ChangedFileCaretTest.moc"
