#pragma once

#include <QString>

// The system's reason for a failure, in Japanese, as the messages of the
// run give it.
class SystemReason
{
public:
    // The reason for errno value `error`: our own wording for what a file's
    // size, open or read can fail with; else the C library's Japanese text if
    // the machine has a Japanese locale; else a Japanese text with the number.
    static QString text(int error);
    // The reason a path that is no regular file cannot be read.
    static QString notRegularFile();

private:
    static QString fromLibrary(int error);
};
