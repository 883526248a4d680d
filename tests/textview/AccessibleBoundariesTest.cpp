#include "AccessibleText.h"
#include "BoundaryReference.h"
#include "ViewFixture.h"
#include "ViewTestSupport.h"

#include <QAccessible>

// What a screen reader gets when it asks Text2 for the character, word,
// sentence, line or paragraph at, before or after an offset: what Qt's own
// boundary finder gives over the whole text, anywhere in a text of any size.

namespace {

using Relation = TextBoundaries::Relation;

struct Answer
{
    int start = -1;
    int end = -1;
    QString text;
    bool operator==(const Answer &) const = default;
};

Answer ask(QAccessibleTextInterface *text, int offset, QAccessible::TextBoundaryType type, Relation relation)
{
    Answer answer;
    switch (relation) {
    case Relation::Before:
        answer.text = text->textBeforeOffset(offset, type, &answer.start, &answer.end);
        break;
    case Relation::At:
        answer.text = text->textAtOffset(offset, type, &answer.start, &answer.end);
        break;
    case Relation::After:
        answer.text = text->textAfterOffset(offset, type, &answer.start, &answer.end);
        break;
    }
    return answer;
}

// The reference over `whole`, whose first character is at `first`.
Answer expected(const QString &whole, int first, int offset, QAccessible::TextBoundaryType type, Relation relation)
{
    const TextBoundaries::Item item = referenceItem(whole, offset - first, type, relation);
    if (!item.found())
        return {};
    return {first + item.start, first + item.end, whole.mid(item.start, item.end - item.start)};
}

QString describe(int offset, QAccessible::TextBoundaryType type, Relation relation, const Answer &got, const Answer &want)
{
    return QStringLiteral("offset %1 kind %2 relation %3: (%4, %5, \"%6\") not (%7, %8, \"%9\")")
        .arg(offset).arg(int(type)).arg(int(relation))
        .arg(got.start).arg(got.end).arg(got.text.left(40))
        .arg(want.start).arg(want.end).arg(want.text.left(40));
}

QAccessibleTextInterface *textInterfaceOf(FileTextView &view)
{
    return QAccessible::queryAccessibleInterface(&view)->textInterface();
}

} // namespace

class AccessibleBoundariesTest : public ViewFixture
{
    Q_OBJECT

private slots:
    void everyQueryOfASmallTextIsQtsBoundaryFindersAnswer_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("a text that starts with punctuation, as XML does") << QByteArray("<?xml version=\"1.0\"?>\n<a>b c</a>");
        QTest::newRow("Japanese sentences of Shift-JIS") << QByteArray("\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7\x81\x42\x8E\x9F\x81\x49\r\n");
        QTest::newRow("NULs, which a screen reader gets as a symbol") << QByteArray("\0\0ab\0 c", 8);
        QTest::newRow("breaks of every kind, blank lines, sentences")
            << QByteArray("One  two\r\nthree. Four?\rfive 6,7\n\nend.\n");
        QTest::newRow("one character") << QByteArray("x");
        QTest::newRow("no text") << QByteArray();
    }

    // Offsets -1 (the end, as Qt takes it) and one past the end included.
    void everyQueryOfASmallTextIsQtsBoundaryFindersAnswer()
    {
        QFETCH(QByteArray, bytes);
        QAccessibleTextInterface *text = textInterfaceOf(showView(bytes));
        const QString whole = plain(bytes).replace(QChar(0), QChar(0x2400));
        QCOMPARE(text->characterCount(), whole.size());
        for (int offset = -1; offset <= whole.size() + 1; ++offset) {
            for (const QAccessible::TextBoundaryType type : AllBoundaryTypes) {
                for (const Relation relation : AllRelations) {
                    const Answer got = ask(text, offset, type, relation);
                    const Answer want = expected(whole, 0, offset < 0 ? int(whole.size()) : offset, type, relation);
                    QVERIFY2(got == want, qPrintable(describe(offset, type, relation, got, want)));
                }
            }
        }
    }

    // Past the first mebibyte, at its last characters and past its end, each
    // answer is the one the reference gives over the stretch around it.
    void everyQueryOfALongTextIsAnsweredWhereverItIsAsked()
    {
        QByteArray bytes;
        for (int i = 0; bytes.size() < 3 * (1 << 20); ++i)
            bytes += "\x93\xFA\x96\x7B\x8C\xEA word" + QByteArray::number(i) + (i % 5 ? ". " : ".\r\n");
        QAccessibleTextInterface *text = textInterfaceOf(showView(bytes));
        const int count = text->characterCount();
        for (const int offset : {0, 1500000, count / 2, count - 1, count, count + 1}) {
            const int first = std::max(offset - 200, 0);
            const QString around = text->text(first, std::min(offset + 200, count));
            for (const QAccessible::TextBoundaryType type : AllBoundaryTypes) {
                for (const Relation relation : AllRelations) {
                    if (type == QAccessible::NoBoundary)
                        continue;
                    const Answer got = ask(text, offset, type, relation);
                    const Answer want = offset > count ? Answer{} : expected(around, first, offset, type, relation);
                    QVERIFY2(got == want, qPrintable(describe(offset, type, relation, got, want)));
                    QVERIFY(offset >= count - 1 || relation != Relation::At || !got.text.isEmpty());
                }
            }
        }
    }

    // A word of a hundred thousand letters, a line of as many: what is
    // given is the stretch around the offset, however far the item goes.
    void anItemLongerThanTheReachIsCutAtIt_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("a word") << int(QAccessible::WordBoundary);
        QTest::newRow("a sentence") << int(QAccessible::SentenceBoundary);
        QTest::newRow("a line") << int(QAccessible::LineBoundary);
    }

    void anItemLongerThanTheReachIsCutAtIt()
    {
        QFETCH(int, type);
        QAccessibleTextInterface *text = textInterfaceOf(showView("x " + QByteArray(100000, 'a') + " y"));
        const Answer got = ask(text, 50000, QAccessible::TextBoundaryType(type), Relation::At);
        QCOMPARE(got.start, 50000 - AccessibleText::Reach);
        QCOMPARE(got.end, 50000 + AccessibleText::Reach);
        QCOMPARE(got.text, QString(2 * AccessibleText::Reach, u'a'));
    }
};

QTEST_MAIN(AccessibleBoundariesTest)
#include "AccessibleBoundariesTest.moc"
