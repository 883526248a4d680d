#include "IndexStates.h"

#include "TextIndex.h"

#include <QRandomGenerator>

std::shared_ptr<const TextMetrics> scanTestMetrics(const QString &kind, quint32 seed)
{
    if (kind == QLatin1String("uniform"))
        return TextMetrics::uniform(64, XUnits(512));
    TextMetrics::Kerning kerning;
    if (kind == QLatin1String("kerned")) {
        kerning.resize(TextMetrics::KerningSide * TextMetrics::KerningSide);
        QRandomGenerator random(seed);
        for (qint16 &k : kerning)
            k = random.bounded(4) == 0 ? qint16(random.bounded(-80, 20)) : 0;
    }
    return std::make_shared<TextMetrics>([](char16_t c) { return qint32(c % 13 * 61 + 130); }, XUnits(12832), kerning);
}

QList<qint64> indexState(const TextIndex &index)
{
    const LineIndex &lines = index.lines();
    const CharacterIndex &characters = index.characters();
    QList<qint64> state{lines.scanned(), lines.lineCount().value(), lines.longestLineLength(), lines.checkpointCount()};
    for (qsizetype i = 0; i < lines.checkpointCount(); ++i)
        state << lines.checkpoint(i).line.value() << lines.checkpoint(i).start.value();
    state << characters.scanned() << characters.characterCount().value() << characters.widestLine().value()
          << characters.checkpointCount();
    for (qint64 i = 0; i < characters.checkpointCount(); ++i) {
        const CharacterIndex::Checkpoint checkpoint = characters.checkpoint(i);
        state << checkpoint.start.value() << checkpoint.before.value() << checkpoint.x.value();
    }
    return state;
}

QList<qint64> indexedStates(ScanPath path, const QByteArray &bytes, const QList<qint64> &blocks,
                            const std::shared_ptr<const TextMetrics> &metrics)
{
    overrideScanPath(path);
    TextIndex index(metrics);
    overrideScanPath(std::nullopt);
    QList<qint64> states;
    qint64 done = 0;
    for (qsizetype i = 0; done < bytes.size(); ++i) {
        const qint64 n = std::min(blocks[i % blocks.size()], bytes.size() - done);
        index.extend(bytes.constData() + done, n);
        done += n;
        if (i % 97 == 0) // the state between blocks counts too
            states << indexState(index);
    }
    return states << indexState(index);
}
