#include "ViewText.h"

#include "BenchFiles.h"
#include "FileText.h"
#include "TestTexts.h"

#include <QFile>
#include <cstring>

namespace {

constexpr qint64 Block = qint64(1) << 20;
constexpr qint64 HugeLineLength = 80;

// Zeros with an LF every HugeLineLength bytes, and "END".
void appendHugeLines(std::string &chunk, qint64 offset, qint64 n)
{
    chunk.resize(std::size_t(n));
    for (qint64 i = HugeLineLength - 1 - offset % HugeLineLength; i < n; i += HugeLineLength)
        chunk[std::size_t(i)] = '\n';
    if (offset + n == ViewText::HugeLength)
        chunk.replace(std::size_t(n - 3), 3, "END");
}

} // namespace

ViewText::ViewText(BenchFiles &files, std::string shape, std::string size, qint64 length, std::shared_ptr<const TextMetrics> metrics)
    : m_shape(std::move(shape)), m_size(std::move(size)), m_length(length), m_metrics(std::move(metrics))
{
    const QString name = QString::fromStdString(m_shape + "-" + m_size);
    const bool lines = m_shape == "lines";
    if (length == HugeLength)
        m_path = lines ? files.write(name, length, appendHugeLines) : files.writeSparse(name, length, "END");
    else
        m_path = lines ? files.writeShiftJisText(name, length, 2) : files.writeRandomBinary(name, length, 1, true);
    QFile file(m_path);
    if (length <= CopiedLength && file.open(QIODevice::ReadOnly))
        m_bytes = file.readAll();
}

std::shared_ptr<const FileText> ViewText::build() const
{
    return m_length > CopiedLength ? mappedTextOf(m_path, Block, m_metrics) : fileTextOf(m_bytes, Block, m_metrics);
}

const std::shared_ptr<const FileText> &ViewText::built()
{
    if (!m_fileText)
        keep(build());
    return m_fileText;
}

void ViewText::keep(std::shared_ptr<const FileText> text)
{
    m_fileText = std::move(text);
    if (m_fileText)
        findLongestLine();
}

void ViewText::notePaint(double ms, const char *step)
{
    if (ms > m_longestPaintMs) {
        m_longestPaintMs = ms;
        m_longestPaintStep = step;
    }
}

// A pass over the bytes; the texts here break lines with LF or CR LF only.
void ViewText::findLongestLine()
{
    const char *bytes = m_fileText->data();
    const qint64 size = m_fileText->size();
    m_longestLineLength = 0;
    for (qint64 start = 0; start <= size;) {
        const void *lf = std::memchr(bytes + start, '\n', std::size_t(size - start));
        const qint64 lfAt = lf ? static_cast<const char *>(lf) - bytes : size;
        const qint64 end = lfAt > start && lfAt < size && bytes[lfAt - 1] == '\r' ? lfAt - 1 : lfAt;
        if (end - start >= m_longestLineLength) {
            m_longestLineLength = end - start;
            m_longestLineEnd = BytePosition(end);
        }
        start = lfAt + 1;
    }
}
