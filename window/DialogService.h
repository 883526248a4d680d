#pragma once

#include <QString>
#include <optional>

class QWidget;

// The modal dialogs the window shows for a run. The program uses
// WidgetDialogService; tests put a fake in its place.
class DialogService
{
public:
    virtual ~DialogService() = default;

    // Open-file dialog. `filter` is pairs of a description and a pattern,
    // all separated by "|". Returns the chosen path, or nothing on cancel.
    virtual std::optional<QString> chooseFile(QWidget *parent, const QString &filter) = 0;
    // Message box with one OK button, titled with the program's name.
    virtual void showMessage(QWidget *parent, const QString &text) = 0;
};
