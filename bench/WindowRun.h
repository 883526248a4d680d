#pragma once

#include <QString>
#include <QtGlobal>

// One whole run of the program's window over a file, in a process that has
// no QApplication yet (a fresh child, so that its peak memory is the
// program's): HexmothApplication and Form1 as main() makes them, with only
// the file dialog replaced by one that answers with the path. Once the
// window is painted, Command1 is clicked; the run is over when the caption
// reads "実行終了", both text boxes are filled and Text2 has painted the
// file's text. A 1 ms timer ticks throughout (EventLoopGaps).
class WindowRun
{
public:
    // Times in ms from the click.
    struct Figures
    {
        double startUpMs = 0;      // from startNs to the window's first paint
        double runMs = 0;          // to Text2 painted
        double finalCaptionMs = 0; // to "実行終了": every block read
        double longestGapMs = 0;   // between two ticks, click to painted
        double longestGapEndedMs = 0;
        double longestEndGapMs = 0; // of the gaps that ended after "実行終了"
        double captionMs = 0;      // all captions set, each repainted at once
        double eventsMs = 0;       // all the events handled between blocks
        double dumpTextMs = 0;     // Text1 filled (ShowDumpList)
        double textPaintMs = 0;    // Text2's first paint of the text, flush included
    };

    // `startNs`: when the parent started this process, by nowNs(). Throws
    // std::runtime_error when the run shows a message or does not end with
    // the whole file dumped (the final caption, Text1's last address) and
    // shown.
    static Figures measure(const QString &path, qint64 size, qint64 startNs);
    // The steady clock, in ns.
    static qint64 nowNs();

    // A run stopped halfway: Command2 clicked as the first block past the
    // middle of the file starts. Blocks read after the click, from the
    // captions (the one in hand counts), and the time from the click to
    // "実行終了".
    struct Stop
    {
        double stopMs = 0;
        qint64 blocksAfterClick = 0;
    };
    static Stop measureStop(const QString &path, qint64 size);

    // The program started with the file on its command line, as main()
    // starts it (CommandLine, then Form1::openFile once the loop runs).
    // Times in ms from the window's first paint, the rest from startNs;
    // a caption set before that paint is on screen with it (0).
    struct Open
    {
        double startUpMs = 0;      // to the first paint
        double firstCaptionMs = 0; // Label1's first caption on screen
        double finalCaptionMs = 0; // "実行終了"
    };
    static Open measureOpen(const QString &path, qint64 size, qint64 startNs);

    // A run over a file whose read stalls: once the caption has told the
    // wait for `afterToldMs`, Command2 is clicked, or the window closed
    // (`close`). Times in ms from the click on Command1 unless said.
    struct Stall
    {
        double toldMs = 0;       // to "読み込みを待っています…"
        double longestGapMs = 0; // between two ticks, to "実行終了"
        double stopMs = 0;       // from the click on Command2 to "実行終了"
        double closeMs = 0;      // from close() to the event loop's return
        qint64 closedAtNs = 0;   // by nowNs(), for the time to the process's exit
        qint64 dumped = 0;       // bytes, as the final caption counts them
    };
    static Stall measureStall(const QString &path, qint64 size, int afterToldMs, bool close);
};
