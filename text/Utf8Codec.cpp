#include "Utf8Codec.h"

DecodedCharacter Utf8Codec::characterAt(const char *data, qsizetype n) const
{
    return read(data, n);
}

qsizetype Utf8Codec::characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart) const
{
    qsizetype lead = p;
    while (lead > knownStart && p - lead < 3 && isContinuation(quint8(text[lead])))
        --lead;
    if (lead < p && !isContinuation(quint8(text[lead])) && lead + characterLength(text + lead, size - lead) > p)
        return lead;
    return p;
}
