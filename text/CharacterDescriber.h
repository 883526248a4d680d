#pragma once

#include "TextUnits.h"

#include <QString>

class FileText;

// One line that tells what the caret or the selection of a FileText holds,
// for the user and a screen reader alike: always 「アドレス 」 and the start
// address first (formatAddress), then for the character at the caret
// 「バイト 」 and its bytes in the text's encoding, its code point
// (U+XXXX, U+XXXXX past 16 bits) and the character (control characters by
// name, a CR LF as one, the byte-order mark at the text's start as
// 「バイト順マーク」) and where it stands: in code page 932 its JIS row and
// cell (区点) or its platform-dependent area, and a mark where JIS's
// Shift_JIS maps it to another character; in EUC-JP its row and cell in
// JIS X 0208, 「半角カナ」 for 8E xx, or its row and cell in JIS X 0212 with
// 「補助漢字」 for 8F xx xx. 「不正なバイト」 with the bytes of one maximal
// ill-formed part (TextCodec) where the encoding has no character. For a
// selection, its last byte's address and its length in bytes and
// characters; at the end of the text, that it is the end.
//
// Reads at most the four bytes at the caret, or a checkpoint's step
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
