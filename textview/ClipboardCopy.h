#pragma once

#include "TextUnits.h"

#include <QClipboard>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class FileText;

// Puts a part of a FileText on the clipboard as plain text (every line
// break one LF) or as its bytes in hex (appendHexBytes), StepBytes at a time, one step per turn of the
// event loop, so that copying a long selection never stalls the window. A
// part of at most StepBytes is put there at once; a longer one when its
// last step is done.
class ClipboardCopy : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 StepBytes = qint64(1) << 20;

    enum class Format { PlainText, Hex };

    explicit ClipboardCopy(QClipboard::Mode mode, QObject *parent = nullptr);

    // Copies [from, to), both positions of `text` (TextNavigator), replacing
    // any copy still in progress.
    void start(std::shared_ptr<const FileText> text, BytePosition from, BytePosition to, Format format = Format::PlainText);
    bool isActive() const { return m_text != nullptr; }

signals:
    void finished();

private:
    void step();

    QClipboard::Mode m_mode;
    QTimer m_timer;
    std::shared_ptr<const FileText> m_text;
    Format m_format = Format::PlainText;
    BytePosition m_from;
    BytePosition m_next;
    BytePosition m_to;
    QString m_decoded;
};
