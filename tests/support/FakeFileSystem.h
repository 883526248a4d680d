#pragma once

#include "LocalFileSystem.h"

#include <condition_variable>
#include <memory>
#include <mutex>

// The machine's file system, with failures and changes a test can switch on,
// and a count of the files it has open.
class FakeFileSystem : public FileSystem
{
public:
    // Where reads wait, as on a share whose server is gone, until the test
    // opens it. Shared with the files, which may outlive the test's run.
    class ReadGate
    {
    public:
        void open();
        // Blocks the calling read until open().
        void pass();
        // Waits (at most a few seconds) until `reads` reads wait here.
        bool waitForWaiting(int reads);
        int waiting();
        // The files of this gate tell when they are closed, on whichever
        // thread: a test that waits for it here may then read openFiles.
        void closed();
        bool waitForClosed(int files);

    private:
        std::mutex m_mutex;
        std::condition_variable m_changed;
        bool m_open = false;
        int m_waiting = 0;
        int m_closed = 0;
    };

    Status status(const QString &path) override;
    std::unique_ptr<InputFile> open(const QString &path, QString &errorText) override;
    qint64 availableMemory() override { return memory; }

    std::optional<Status> statusOverride; // answered instead of the real status
    int openError = 0;                    // non-zero: open fails with this errno
    qint64 readFailsAt = -1;              // a read that reaches this offset fails
    qint64 endsAt = -1;                   // the file seems to end here (it shrank)
    bool endless = false;                 // reads give bytes of EndlessByte for ever
    int wouldBlockReads = 0;              // the first reads have nothing yet
    qint64 memory = -1;
    bool mappable = true;                 // files can be mapped
    qint64 gatedFrom = -1;                // reads that start here or later wait at the gate
    std::shared_ptr<ReadGate> gate = std::make_shared<ReadGate>();
    int readDelayMs = 0;                  // every read takes this long

    static constexpr char EndlessByte = 'n';

    int opened = 0;
    int openFiles = 0; // opened and not yet closed
    int waits = 0;     // waitForData calls

private:
    LocalFileSystem m_local;
};
