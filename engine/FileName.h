#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QUrl;

// File names as the system has them: bytes, usually UTF-8 but not always
// (a Shift-JIS name from an old archive). A name is carried as a QString
// that gives its bytes back exactly: a byte that is not part of valid UTF-8
// is held as the lone surrogate U+DC00 + byte, which valid UTF-8 never
// decodes to. Every path the run opens is turned into bytes here.
class FileName
{
public:
    // The name of `bytes`, valid UTF-8 decoded as usual, any other byte held.
    static QString fromBytes(const QByteArray &bytes);
    // The bytes fromBytes was given; characters other than the held bytes
    // as UTF-8.
    static QByteArray toBytes(const QString &name);
    // The name as people read it: each held byte marked as \xHH.
    static QString displayed(const QString &name);
    // The path of a file:// URL on this machine (no host, or localhost),
    // its percent-encoded bytes kept as they are; nothing for any other URL.
    static std::optional<QString> fromLocalUrl(const QUrl &url);
};
