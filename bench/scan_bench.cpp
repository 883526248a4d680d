// The scan alone: TextIndex::extend over 1 MiB blocks of a text in memory,
// GB/s (10^9 bytes), by every path this processor runs, the reference
// (the byte-at-a-time scans) included, side by side in one run:
//
//   build-bench/bench/scan_bench                          # 256 MiB texts
//   HEXMOTH_BENCH_FILE_MIB=16 build-bench/bench/scan_bench  # a quick run
//   HEXMOTH_BENCH_REPETITIONS=5 (default 3)
//   HEXMOTH_BENCH_SCAN_PATHS=avx512  # that path alone, for a profile
//
// Texts: "binary" random bytes, "sjis" ShiftJisTextGenerator lines, "ascii"
// source-like lines (tab indentation, LF or CR LF). Metrics: the window's
// (TextFont, IPAPGothic 9 pt) and a kerned font (DejaVu Sans 9 pt), each
// with every double-byte advance measured first, as the window does while
// it waits for the user (the time that takes is printed). Medians, by the wall clock and by the thread's CPU time (the
// machine may be shared). Each path's index is checked against the
// reference's.
// The last line gives the window's metrics through the path chosen at
// start-up: scan-gbps binary=... sjis=... ascii=...

#include "ScanPath.h"
#include "ShiftJisTextGenerator.h"
#include "TextFont.h"
#include "TextIndex.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr qint64 Block = qint64(1) << 20;

qint64 envNumber(const char *name, qint64 fallback, qint64 least, qint64 most)
{
    bool ok = false;
    const qint64 value = qEnvironmentVariable(name).toLongLong(&ok);
    if (!qEnvironmentVariableIsSet(name))
        return fallback;
    if (!ok || value < least || value > most)
        qFatal("%s must be a whole number from %lld to %lld", name, least, most);
    return value;
}

std::string randomBytes(std::size_t n)
{
    std::mt19937_64 random(1);
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        const std::uint64_t word = random();
        std::memcpy(bytes.data() + i, &word, 8);
    }
    return bytes;
}

std::string shiftJis(std::size_t n)
{
    std::string bytes;
    bytes.reserve(n);
    ShiftJisTextGenerator(2).appendText(bytes, n);
    return bytes;
}

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
        while (bytes.size() - start < length) {
            bytes += words[random() % std::size(words)];
            bytes += ' ';
        }
        bytes += random() % 4 == 0 ? "\r\n" : "\n";
    }
    bytes.resize(n);
    return bytes;
}

struct Result
{
    double gbps;
    double cpuGbps; // by the thread's own CPU time, which others' load on the machine leaves alone

    qint64 characters;
    TextMetrics::Units widest;
    qint64 lines;
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Result scanOnce(const std::string &text, ScanPath path, const std::shared_ptr<const TextMetrics> &metrics)
{
    overrideScanPath(path);
    const auto cpuStart = cpuSeconds();
    const auto start = Clock::now();
    TextIndex index(metrics);
    for (std::size_t done = 0; done < text.size(); done += std::size_t(Block))
        index.extend(text.data() + done, std::min<qint64>(Block, qint64(text.size() - done)));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    overrideScanPath(std::nullopt);
    return {double(text.size()) / seconds / 1e9, double(text.size()) / cpu / 1e9, index.characters().characterCount().value(), index.characters().widestLine().value(), index.lines().lineCount().value()};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 mib = envNumber("HEXMOTH_BENCH_FILE_MIB", 256, 1, 4096);
    const int repetitions = int(envNumber("HEXMOTH_BENCH_REPETITIONS", 3, 1, 100));
    const std::size_t size = std::size_t(mib) << 20;
    const QStringList only = qEnvironmentVariable("HEXMOTH_BENCH_SCAN_PATHS").split(',', Qt::SkipEmptyParts);
    const std::vector<std::pair<std::string, std::string>> texts{
        {"binary", randomBytes(size)}, {"sjis", shiftJis(size)}, {"ascii", asciiLines(size)}};

    std::printf("paths:");
    for (ScanPath path : runnableScanPaths())
        std::printf(" %s", scanPathName(path));
    std::printf(" (chosen: %s); %lld MiB texts, %d repetitions, medians\n", scanPathName(activeScanPath()), mib, repetitions);

    std::map<std::string, double> chosen; // text -> GB/s, window's metrics, chosen path
    const TextFont windowFont(QFont(QStringLiteral("IPAPGothic"), 9));
    const TextFont kernedFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    for (const TextFont *font : {&windowFont, &kernedFont}) {
        const auto metrics = font->metrics();
        const auto start = Clock::now();
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            metrics->measureLead(std::uint8_t(lead));
        std::printf("\n%s %d pt (kerning: %s): every double-byte advance measured in %.1f ms\n", qPrintable(font->font().family()),
                    font->font().pointSize(), metrics->hasKerning() ? "yes" : "no",
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        std::printf("%-8s %-10s %8s %8s %8s\n", "text", "path", "GB/s", "x ref", "cpu GB/s");
        for (const auto &[name, text] : texts) {
            double reference = 0;
            Result expected{};
            for (ScanPath path : runnableScanPaths()) {
                if (!only.isEmpty() && !only.contains(scanPathName(path)))
                    continue;
                std::vector<double> speeds, cpuSpeeds;
                Result last{};
                for (int r = 0; r < repetitions; ++r) {
                    last = scanOnce(text, path, metrics);
                    speeds.push_back(last.gbps);
                    cpuSpeeds.push_back(last.cpuGbps);
                }
                const double gbps = median(speeds);
                if (path == ScanPath::Reference) {
                    reference = gbps;
                    expected = last;
                }
                const bool same = reference == 0 || (last.characters == expected.characters && last.widest == expected.widest && last.lines == expected.lines);
                std::printf("%-8s %-10s %8.3f %8.2f %8.3f%s\n", name.c_str(), scanPathName(path), gbps, reference > 0 ? gbps / reference : 0.0,
                            median(cpuSpeeds),
                            same ? "" : "  INDEX DIFFERS FROM THE REFERENCE");
                if (font == &windowFont && path == activeScanPath())
                    chosen[name] = gbps;
            }
        }
    }
    std::printf("scan-gbps binary=%.2f sjis=%.2f ascii=%.2f\n", chosen["binary"], chosen["sjis"], chosen["ascii"]);
    return 0;
}
