#pragma once

#include "TextUnits.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <string>

class BenchFiles;
class FileText;
class TextMetrics;

// One text of fileview_bench, a file shown as the program shows it: copied
// up to `CopiedLength`, from a mapping of the file above. Shapes: "lines",
// Shift-JIS lines with CR LF, and "binary", one line of random bytes; at
// `HugeLength`, "binary" is one hole ending in "END" and "lines" zeros with
// an LF every 80 bytes and "END".
class ViewText
{
public:
    static constexpr qint64 CopiedLength = 1000000;
    static constexpr qint64 HugeLength = qint64(5) << 30;

    ViewText(BenchFiles &files, std::string shape, std::string size, qint64 length, std::shared_ptr<const TextMetrics> metrics);

    std::string name() const { return m_shape + "/" + m_size; }
    qint64 length() const { return m_length; }

    // Made as a run makes it: read in 1 MiB blocks, each indexed.
    std::shared_ptr<const FileText> build() const;
    // The last one built (kept by keep()), or one built now.
    const std::shared_ptr<const FileText> &built();
    void keep(std::shared_ptr<const FileText> text);
    const std::shared_ptr<const FileText> &kept() const { return m_fileText; }

    // The end of the longest line of the kept text, and its length.
    BytePosition longestLineEnd() const { return m_longestLineEnd; }
    qint64 longestLineLength() const { return m_longestLineLength; }

    // A paint of `ms` at `step`, "show" say: the longest so far is kept.
    void notePaint(double ms, const char *step);
    double longestPaintMs() const { return m_longestPaintMs; }
    const std::string &longestPaintStep() const { return m_longestPaintStep; }

private:
    void findLongestLine();

    std::string m_shape;
    std::string m_size;
    qint64 m_length;
    std::shared_ptr<const TextMetrics> m_metrics;
    QString m_path;
    QByteArray m_bytes; // of a copied text
    std::shared_ptr<const FileText> m_fileText;
    BytePosition m_longestLineEnd;
    qint64 m_longestLineLength = 0;
    double m_longestPaintMs = 0;
    std::string m_longestPaintStep;
};
