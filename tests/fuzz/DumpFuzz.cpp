#include "DumpEngine.h"
#include "DumpList.h"
#include "FakeDumpWindow.h"
#include "FileSystem.h"
#include "FileText.h"
#include "FuzzInput.h"

#include <QList>
#include <algorithm>

// The dump run over the input's bytes, read in blocks of a length the input
// chooses (a file of unknown size in reads of the lengths it chooses too),
// against a plain formatter of the dump list: both of its cuts, the text
// kept, the final caption.

namespace {

// The input as a file that gives `bytes` in reads of `reads` lengths in turn.
class MemoryFile : public InputFile
{
public:
    MemoryFile(const QByteArray &bytes, const QList<qint64> &reads) : m_bytes(bytes), m_reads(reads) {}

    qint64 read(char *into, qint64 max) override
    {
        const qint64 wanted = m_reads.isEmpty() ? max : std::min(max, m_reads[m_count++ % m_reads.size()]);
        const qint64 n = std::min(wanted, m_bytes.size() - m_at);
        std::copy_n(m_bytes.constData() + m_at, n, into);
        m_at += n;
        return n;
    }
    void waitForData(int) override {}
    qint64 currentSize() const override { return m_bytes.size(); }
    QString errorText() const override { return {}; }
    std::unique_ptr<FileMapping> map(qint64) override { return nullptr; }

private:
    QByteArray m_bytes;
    QList<qint64> m_reads;
    qint64 m_at = 0;
    qsizetype m_count = 0;
};

class MemoryFileSystem : public FileSystem
{
public:
    MemoryFileSystem(const QByteArray &bytes, const QList<qint64> &reads) : m_bytes(bytes), m_reads(reads) {}

    Status status(const QString &) override
    {
        Status status;
        status.ok = status.isRegular = true;
        status.size = m_bytes.size();
        status.sizeKnown = m_reads.isEmpty();
        return status;
    }
    std::unique_ptr<InputFile> open(const QString &, QString &) override { return std::make_unique<MemoryFile>(m_bytes, m_reads); }
    qint64 availableMemory() override { return -1; }

private:
    QByteArray m_bytes;
    QList<qint64> m_reads;
};

QString plainDumpList(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray list("Address |  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n"
                    "--------+------------------------------------------------: \r\n");
    list.reserve(list.size() + (bytes.size() / 16 + 1) * 80);
    for (qsizetype line = 0; line < bytes.size(); line += 16) {
        list += QByteArray::number(line, 16).toUpper().rightJustified(8, '0') + '|';
        QByteArray column;
        const qsizetype end = std::min(line + 16, bytes.size());
        for (qsizetype i = line; i < end; ++i) {
            const auto b = std::uint8_t(bytes[i]);
            list += ' ';
            list += hex[b >> 4];
            list += hex[b & 15];
            column += b >= 0x20 && b <= 0x7E ? char(b) : (b < 0x10 || b >= 0x80) ? '.' : ' ';
        }
        list += QByteArray(3 * (16 - (end - line)), ' ') + ": " + column + "\r\n";
    }
    return QString::fromLatin1(list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const qint64 blockLength = 1 + input.take(70000);
    QList<qint64> reads;
    if (input.take(2)) // a file of unknown size, read to its end
        for (unsigned i = 0, n = 1 + input.take(4); i < n; ++i)
            reads << 1 + input.take(70000);
    const QByteArray bytes = input.rest().repeated(1 + input.take(128));
    MemoryFileSystem files(bytes, reads);
    FakeDumpWindow window;
    window.chosenPath = QStringLiteral("input");
    DumpEngine engine(window, &files, blockLength);
    engine.RunDump();
    const QString whole = plainDumpList(bytes);
    if (window.dumpText != whole.right(DumpList::DumpLimit))
        fuzzFinding(QStringLiteral("the dump list's end is not the formatter's"));
    window.cutFront = false;
    engine.ShowDumpList();
    if (window.dumpText != whole.left(DumpList::DumpLimit))
        fuzzFinding(QStringLiteral("the dump list's start is not the formatter's"));
    if (!window.fileText || QByteArray(window.fileText->data(), window.fileText->size()) != bytes)
        fuzzFinding(QStringLiteral("the text kept is not the bytes read"));
    // a file of unknown size, read to its end, has the size read
    if (window.captions.last() != DumpEngine::progressCaption(QStringLiteral("実行終了"), bytes.size(), bytes.size()) || !window.messages.isEmpty())
        fuzzFinding(QStringLiteral("the run ended with %1 %2").arg(window.captions.last(), window.messages.value(0)));
    return 0;
}
