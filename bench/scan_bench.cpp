// The scan alone, TextIndex::extend over 1 MiB blocks of a text in memory,
// by every path this processor runs against the reference (the
// byte-at-a-time scans), with the window's metrics and a kerned font's,
// every double-byte advance measured first as the window does. GB/s =
// 10^9 bytes/s by the wall clock (the CPU time is in each case's row). The
// last line: the window's metrics through the path chosen at start-up,
// `scan-gbps binary=... sjis=... ascii=... utf8=... eucjp=... utf16=...`.
// The last three are the sjis text's characters in UTF-8, EUC-JP and
// UTF-16LE, scanned as those encodings (EncodedScan) in 1 MiB steps.
//
//   build-bench/bench/scan_bench                            # 256 MiB texts
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/scan_bench  # a quick run
//   build-bench/bench/scan_bench --benchmark_filter=avx512  # that path alone, for a profile

#include "Bench.h"
#include "RandomBytes.h"
#include "ScanPath.h"
#include "ShiftJisTextGenerator.h"
#include "TextFont.h"
#include "TextIndex.h"
#include "Cp932.h"
#include "EncodedTexts.h"

#include <algorithm>
#include <random>
#include <tuple>

namespace {

constexpr qint64 Block = qint64(1) << 20;
const std::vector<std::string> TextNames = {"binary", "sjis", "ascii", "utf8", "eucjp", "utf16"};
const std::map<std::string, TextEncoding> Encodings = {{"utf8", TextEncoding::Utf8}, {"eucjp", TextEncoding::EucJp}, {"utf16", TextEncoding::Utf16Le}};
const std::vector<std::pair<std::string, QString>> Fonts = {{"window", "IPAPGothic"}, {"kerned", "DejaVu Sans"}};

using Index = std::tuple<qint64, qint64, qint64>; // characters, widest line, lines

std::map<std::string, std::string> texts;
std::map<std::string, std::optional<Index>> references; // font/text -> the reference's index

// Lines of 0 to 100 bytes: tab indentation, identifiers, operators and
// spaces; one in four ends in CR LF, the rest in LF.
std::string asciiLines(std::size_t n)
{
    static const char *const words[] = {"if", "return", "const", "auto", "value", "index", "std::vector<int>", "m_lines",
                                        "=", "==", "+", "(", ")", "{", "}", ";", "0", "42", "// why", "nullptr"};
    std::mt19937_64 random(3);
    std::string bytes;
    bytes.reserve(n + 128);
    while (bytes.size() < n) {
        const std::size_t start = bytes.size();
        bytes.append(random() % 5, '\t');
        const std::size_t length = random() % 100;
        while (bytes.size() - start < length)
            bytes.append(words[random() % std::size(words)]).append(" ");
        bytes += random() % 4 == 0 ? "\r\n" : "\n";
    }
    bytes.resize(n);
    return bytes;
}

std::string textOf(const std::string &name, std::size_t n)
{
    if (name == "ascii")
        return asciiLines(n);
    if (Encodings.contains(name)) {
        const QByteArray bytes = encodedAs(Cp932::instance().decode(texts.at("sjis").data(), qsizetype(n)), Encodings.at(name));
        return bytes.left(qsizetype(n)).toStdString();
    }
    std::string bytes;
    if (name == "sjis")
        ShiftJisTextGenerator(2).appendText(bytes, n);
    else
        RandomBytes(1).fill(bytes.append(n, '\0').data(), qint64(n));
    return bytes;
}

TextEncoding encodingOf(const std::string &text)
{
    return Encodings.contains(text) ? Encodings.at(text) : TextEncoding::Cp932;
}

// The other encodings: the reference scan, and AVX2 where it runs (the
// AVX-512 path uses it too).
std::vector<ScanPath> pathsOf(const std::string &text)
{
    if (!Encodings.contains(text))
        return runnableScanPaths();
    std::vector<ScanPath> paths{ScanPath::Reference};
    if (std::ranges::count(runnableScanPaths(), ScanPath::Avx2))
        paths.push_back(ScanPath::Avx2);
    return paths;
}

ScanPath chosenPathOf(const std::string &text)
{
    return Encodings.contains(text) ? pathsOf(text).back() : activeScanPath();
}

// same_index: 1 when the index is the reference's, once that has run.
void measure(benchmark::State &state, const std::string &text, TextEncoding encoding, ScanPath path, const TextFont &font, std::optional<Index> &reference)
{
    overrideScanPath(path);
    std::optional<TextIndex> index;
    const double ms = msOf([&] {
        index.emplace(font.metrics(), encoding);
        for (qint64 done = 0, size = qint64(text.size()); done < size;)
            done = index->extendWithin(text.data(), size, done + Block);
    });
    overrideScanPath(std::nullopt);
    state.SetIterationTime(ms / 1e3);
    state.counters["GB/s"] = double(text.size()) / ms / 1e6;
    const CharacterIndex &characters = index->characters();
    const Index made{characters.characterCount().value(), characters.widestLine().value(), index->lines().lineCount().value()};
    if (path == ScanPath::Reference)
        reference = made;
    else if (reference)
        state.counters["same_index"] = made == *reference;
}

void addFont(Bench &bench, const std::string &key, const QString &family)
{
    const TextFont &font = *new TextFont(QFont(family, 9)); // never freed: no font may outlive the application
    const auto metrics = font.metrics();
    const double ms = msOf([&] {
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            metrics->measureLead(std::uint8_t(lead));
    });
    std::printf("%s: %s %d pt (kerning: %s): every double-byte advance measured in %.1f ms\n", key.c_str(),
                qPrintable(font.font().family()), font.font().pointSize(), metrics->hasKerning() ? "yes" : "no", ms);
    for (const std::string &text : TextNames)
        for (ScanPath path : pathsOf(text)) {
            auto &reference = references[key + "/" + text];
            const TextEncoding encoding = encodingOf(text);
            bench.add(key + "/" + text + "/" + scanPathName(path), [&text = texts[text], encoding, path, &font, &reference](benchmark::State &state) {
                measure(state, text, encoding, path, font, reference);
            });
        }
}

void setUp(Bench &bench)
{
    for (const std::string &name : TextNames)
        texts[name] = textOf(name, std::size_t(bench.fileSize()));
    std::printf("paths:");
    for (ScanPath path : runnableScanPaths())
        std::printf(" %s", scanPathName(path));
    std::printf(" (chosen: %s); %s texts\n", scanPathName(activeScanPath()), Bench::sizeName(bench.fileSize()).c_str());
    for (const auto &[key, family] : Fonts)
        addFont(bench, key, family);
}

void report(Bench &bench)
{
    const MedianReporter &medians = bench.medians();
    std::vector<std::string> rows;
    for (const auto &font : Fonts)
        for (const std::string &text : TextNames)
            for (ScanPath path : pathsOf(text))
                rows.push_back(font.first + "/" + text + "/" + scanPathName(path));
    const auto reference = [&](const std::string &row) { return row.substr(0, row.rfind('/')) + "/reference"; };
    std::printf("\nmedians; same index: 1 when it is the reference's\n");
    medians.printTable("metrics/text/path", rows, {{"GB/s", "GB/s", 3},
        {"x ref", [&](const std::string &row) { return figure(ratio(medians.median(row, "GB/s"), medians.median(reference(row), "GB/s")), 2); }},
        {"same index", "same_index", 0}});
    const auto chosen = [&](const std::string &text) {
        return figure(medians.median("window/" + text + "/" + scanPathName(chosenPathOf(text)), "GB/s"), 2);
    };
    std::printf("scan-gbps");
    for (const std::string &text : TextNames)
        std::printf(" %s=%s", text.c_str(), chosen(text).c_str());
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Bench bench("scan_bench", setUp, report);
    bench.application = true;
    bench.repetitions = 3;
    return bench.run(argc, argv);
}
