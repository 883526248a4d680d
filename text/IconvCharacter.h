#pragma once

#include <cstddef>
#include <iconv.h>

// One character of 1 to 3 bytes through an iconv converter to UTF-16LE;
// U+FFFD when the converter does not take it whole or gives more than one
// UTF-16 unit. The encodings' tables are read this way, once.
char16_t iconvCharacter(iconv_t toUtf16, const char *bytes, std::size_t length);
