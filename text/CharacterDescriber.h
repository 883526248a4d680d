#pragma once

#include "TextUnits.h"

#include <QString>

class FileText;

// One line that tells what the caret or the selection of a FileText holds,
// for the user and a screen reader alike: always 「アドレス 」 and the start
// address first (formatAddress), then for the character at the caret
// 「バイト 」 and its bytes, its code point and the character (control
// characters by name), its JIS row and cell (区点) or its area of code page
// 932, a mark where JIS's Shift_JIS maps it to another character, and
// 「不正なバイト」 for bytes the code page does not define; for a selection,
// its last byte's address and its length in bytes and characters; at the
// end of the text, that it is the end.
//
// Reads at most the two bytes at the caret, or a checkpoint's step
// (CharacterIndex) at each end of a selection, whatever its size; the
// bytes are the text's as they are now, so a mapped file changed since it
// was read shows what it holds.
class CharacterDescriber
{
public:
    explicit CharacterDescriber(const FileText &text);

    // Both positions of the text (see TextNavigator), in either order.
    QString describe(BytePosition anchor, BytePosition cursor) const;

private:
    QString describeCharacter(BytePosition at) const;
    QString describeSelection(BytePosition from, BytePosition to) const;

    const FileText &m_text;
};
