#pragma once

// Characters searched for by what they are rather than by their bytes.
enum class CharacterKind {
    // Shown as U+FFFD: a byte or a pair of bytes that code page 932 does not
    // define, or a lead byte without its trail.
    Invalid,
    // A defined double-byte character of an area that only some systems
    // define (isPlatformDependent(Cp932Area)).
    PlatformDependent,
};
