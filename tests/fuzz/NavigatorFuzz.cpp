#include "BruteText.h"
#include "FileText.h"
#include "FuzzInput.h"
#include "IndexStates.h"
#include "LineLayout.h"
#include "TestTexts.h"
#include "TextNavigator.h"

#include <algorithm>
#include <vector>

// Every query of the navigator and of the layout over a small text in an
// encoding the input picks (code page 932 in blocks split where the input
// says; the others read again in steps it says) against brute force over
// its bytes: lines, line of a position, characters and their counts, steps,
// x.

namespace {

// Positions to ask about: all of a small text, else some the input picks.
std::vector<qint64> probes(FuzzInput &input, qint64 n)
{
    std::vector<qint64> at;
    if (n <= 600) {
        for (qint64 p = 0; p <= n; ++p)
            at.push_back(p);
        return at;
    }
    const unsigned step = 1 + n / 300 + input.take(64);
    for (qint64 p = input.take(256); p <= n; p += step)
        at.push_back(p);
    at.push_back(n);
    return at;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    static const char *const kinds[] = {"uniform", "proportional", "kerned"};
    const auto metrics = scanTestMetrics(QString::fromLatin1(kinds[input.take(3)]), input.take(256));
    const TextEncoding encoding = AllTextEncodings[input.take(std::size(AllTextEncodings))];
    QList<qint64> blocks;
    for (unsigned i = 0, n = input.take(4); i < n; ++i)
        blocks << 1 + input.take(70000);
    const unsigned repeats = 1 + input.take(40);
    const BruteText brute(input.rest().repeated(repeats), encoding);
    const qint64 runBlock = 1 + input.take(70000);
    const auto text = encoding == TextEncoding::Cp932 ? textInBlocks(brute.bytes, blocks, runBlock, metrics)
                                                      : encodedText(brute.bytes, encoding, runBlock, blocks, metrics);
    const TextNavigator navigator(*text);
    const std::vector<qint64> at = probes(input, brute.bytes.size());
    for (const QString &finding : {checkLines(brute, navigator, at), checkCharacters(brute, navigator, at),
                                   checkLayout(brute, LineLayout(*text, text->index().characters()), 1 + brute.bytes.size() / 300)})
        if (!finding.isEmpty())
            fuzzFinding(finding);
    return 0;
}
