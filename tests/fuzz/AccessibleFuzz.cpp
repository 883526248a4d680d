#include "AccessibleText.h"
#include "BoundaryReference.h"
#include "FileText.h"
#include "FuzzInput.h"
#include "TestTexts.h"

// The character, word, sentence, line and paragraph a screen reader gets at,
// before and after every offset of a small text (offsets -1 and past the
// end too), against QTextBoundaryFinder over the whole text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const QList<qint64> blocks{1 + input.take(600)};
    const QByteArray bytes = input.rest().left(600);
    const auto text = textInBlocks(bytes, blocks);
    const TextNavigator navigator(*text);
    const AccessibleText accessible(navigator, BytePosition(0));
    const int count = accessible.characterCount();
    const QString whole = navigator.plainText(BytePosition(0), navigator.end()).replace(QChar(0), QChar(0x2400));
    if (whole.size() != count || accessible.text(0, count) != whole)
        fuzzFinding(QStringLiteral("the text is not what the navigator decodes"));
    for (int offset = -1; offset <= count + 1; ++offset) {
        for (const QAccessible::TextBoundaryType type : AllBoundaryTypes) {
            for (const TextBoundaries::Relation relation : AllRelations) {
                const AccessibleText::Item got = accessible.item(offset, type, relation);
                const TextBoundaries::Item want = referenceItem(whole, offset < 0 ? count : offset, type, relation);
                const QString wantText = want.found() ? whole.mid(want.start, want.end - want.start) : QString();
                if (got.start != want.start || got.end != want.end || got.text != wantText)
                    fuzzFinding(QStringLiteral("offset %1 kind %2 relation %3: (%4, %5) not (%6, %7)")
                                    .arg(offset).arg(int(type)).arg(int(relation)).arg(got.start).arg(got.end).arg(want.start).arg(want.end));
            }
        }
    }
    return 0;
}
