#pragma once

#include <QString>
#include <memory>
#include <optional>

class FileText;
class TextMetrics;

// What a dump run needs of the window it runs in. The window implements it
// with widgets; tests implement it with a recording fake.
class DumpWindow
{
public:
    virtual ~DumpWindow() = default;

    // Modal open-file dialog. The filter is pairs of a description and a
    // pattern, all separated by "|". Returns the chosen path, or nothing when
    // the user cancels.
    virtual std::optional<QString> chooseFile(const QString &filter) = 0;
    // Label1; shown at once, even in the middle of a run.
    virtual void setStatusCaption(const QString &caption) = 0;
    // Command2, the stop button.
    virtual void setStopEnabled(bool enabled) = 0;
    // Lets the window process the events waiting in its queue, then returns.
    // Clicks handled here may call back into the engine.
    virtual void handlePendingEvents() = 0;
    // Modal message box with one OK button, titled with the program's name.
    virtual void showMessage(const QString &text) = 0;
    // How Text2 lays out a text, so that the file's text is indexed for it
    // while the file is read.
    virtual std::shared_ptr<const TextMetrics> textMetrics() const = 0;
    // Text2: the file's text, shared and never changed afterwards.
    virtual void setFileText(std::shared_ptr<const FileText> text) = 0;
    // Text1: the dump list as shown.
    virtual void setDumpText(const QString &text) = 0;
    // Option1 ("cut the front") rather than Option2.
    virtual bool isCutFrontSelected() const = 0;
};
