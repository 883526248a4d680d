#pragma once

#include "DialogService.h"

#include <QStringList>
#include <functional>

// Dialogs that answer at once: the file dialog with a preset path, the
// message box by recording its text. A test can act while the file dialog
// is "open" through onChooseFile.
class FakeDialogService : public DialogService
{
public:
    std::optional<QString> chooseFile(QWidget *parent, const QString &filter) override;
    void showMessage(QWidget *parent, const QString &text) override;

    std::optional<QString> chosenPath;
    std::function<void()> onChooseFile;

    QStringList filters;
    QStringList messages;
};
