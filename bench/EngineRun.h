#pragma once

#include <QString>
#include <QtGlobal>

// One whole dump run of a file, DumpEngine::RunDump with a window that does
// nothing (the tests' FakeDumpWindow), in this process. Meant for a forked
// child (ChildProcess::fork), so that the child's peak memory is the run's.
class EngineRun
{
public:
    struct Figures
    {
        double runSeconds = 0;        // RunDump alone
        qint64 dumpListHeapBytes = 0; // see measure()
        double longestBlockMs = 0;    // between two calls to handle events
    };

    // Runs the dump of `path`, a file of `size` bytes. dumpListHeapBytes is
    // what the engine still holds through operator new (counted by
    // replacing it in the program that links this) once the run is over and
    // the window has let go of the file's text: before the run the engine
    // holds nothing, so all of it is the dump list's.
    // Throws std::runtime_error when the run does not end cleanly with all
    // `size` bytes dumped.
    static Figures measure(const QString &path, qint64 size);
};
