#pragma once

#include "DumpEngine.h"
#include "FakeDumpWindow.h"
#include "FakeFileSystem.h"
#include "TestFiles.h"

#include <QObject>
#include <memory>

// What the engine's tests start from: a window that answers the file
// dialog with window.chosenPath, the machine's file system with faults to
// order, and a folder for the files. Both fakes are fresh for every test
// function.
class EngineFixture : public QObject
{
    Q_OBJECT

public:
    // An engine over both fakes, reading blocks of `blockLength` (0: paced).
    std::unique_ptr<DumpEngine> engineWithBlocks(qint64 blockLength = 0)
    {
        return std::make_unique<DumpEngine>(window, &fileSystem, blockLength);
    }

    TestFiles files;
    FakeDumpWindow window;
    FakeFileSystem fileSystem;

private slots:
    void init()
    {
        window = FakeDumpWindow();
        fileSystem = FakeFileSystem();
    }
};
