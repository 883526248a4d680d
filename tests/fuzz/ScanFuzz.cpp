#include "FuzzInput.h"
#include "IndexStates.h"

// Every scan path this processor runs, forced one at a time, against the
// byte-at-a-time reference: line starts, character checkpoints and their x,
// the longest and the widest line, between blocks split where the input
// says, with uniform, proportional and kerned advances.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    static const char *const kinds[] = {"uniform", "proportional", "kerned"};
    const auto metrics = scanTestMetrics(QString::fromLatin1(kinds[input.take(3)]), input.take(256));
    QList<qint64> blocks;
    for (unsigned i = 0, n = 1 + input.take(4); i < n; ++i)
        blocks << 1 + input.take(70000);
    const unsigned repeats = 1 + input.take(64);
    const QByteArray bytes = input.rest().repeated(repeats);
    const QList<qint64> reference = indexedStates(ScanPath::Reference, bytes, blocks, metrics);
    for (const ScanPath path : runnableScanPaths()) {
        if (path != ScanPath::Reference && indexedStates(path, bytes, blocks, metrics) != reference)
            fuzzFinding(QStringLiteral("the %1 scan's index is not the reference's").arg(QLatin1String(scanPathName(path))));
    }
    return 0;
}
