#pragma once

// The encodings the file's text can be read in. Code page 932 is the
// default; the others are read by the codecs of textCodec() (TextCodec.h).
enum class TextEncoding {
    Cp932,
    Utf8,
    EucJp,
    Utf16Le,
    Utf16Be,
};

inline constexpr TextEncoding AllTextEncodings[] = {
    TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::EucJp, TextEncoding::Utf16Le, TextEncoding::Utf16Be,
};
