#include "ViewText.h"

#include "BenchFiles.h"
#include "FileText.h"
#include "TestTexts.h"
#include "TextNavigator.h"

#include <QFile>

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

// The last of the longest lines, by the text's own index.
void ViewText::findLongestLine()
{
    const TextNavigator text(*m_fileText);
    m_longestLineLength = text.longestLineLength();
    for (LineNumber first; first < text.lineCount(); first += 4096)
        for (const LineIndex::Span &line : text.lines(first, 4096))
            if (line.end - line.start == m_longestLineLength)
                m_longestLineEnd = line.end;
}
