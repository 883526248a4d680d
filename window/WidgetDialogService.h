#pragma once

#include "DialogService.h"

#include <memory>

class QFileDialog;
class QMessageBox;

// The dialogs as Qt's own widgets, the same on every desktop, so that the
// filter descriptions and the Japanese button texts show as intended.
// The file dialog starts in the folder of the last file chosen.
class WidgetDialogService : public DialogService
{
public:
    std::optional<QString> chooseFile(QWidget *parent, const QString &filter) override;
    void showMessage(QWidget *parent, const QString &text) override;

    // The dialogs as they are shown, set up but not yet open.
    static std::unique_ptr<QFileDialog> createFileDialog(QWidget *parent, const QString &filter);
    static std::unique_ptr<QMessageBox> createMessageBox(QWidget *parent, const QString &text);

private:
    QString m_lastDirectory;
};
