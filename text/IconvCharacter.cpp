#include "IconvCharacter.h"

#include <cstdint>

char16_t iconvCharacter(iconv_t toUtf16, const char *bytes, std::size_t length)
{
    char in[3] = {bytes[0], length > 1 ? bytes[1] : '\0', length > 2 ? bytes[2] : '\0'};
    char out[8];
    char *inPtr = in;
    char *outPtr = out;
    std::size_t inLeft = length;
    std::size_t outLeft = sizeof out;
    iconv(toUtf16, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toUtf16, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1) || inLeft != 0 || sizeof out - outLeft != 2)
        return u'\uFFFD';
    return char16_t(std::uint8_t(out[0]) | std::uint8_t(out[1]) << 8);
}
