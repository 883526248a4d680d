#include "WidgetDialogService.h"

#include "NameFilters.h"
#include "NameOnlyIconProvider.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

std::optional<QString> WidgetDialogService::chooseFile(QWidget *parent, const QString &filter)
{
    const std::unique_ptr<QFileDialog> dialog = createFileDialog(parent, filter);
    if (!m_lastDirectory.isEmpty())
        dialog->setDirectory(m_lastDirectory);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog->selectedFiles().constFirst();
    m_lastDirectory = QFileInfo(path).absolutePath();
    return path;
}

void WidgetDialogService::showMessage(QWidget *parent, const QString &text)
{
    createMessageBox(parent, text)->exec();
}

std::unique_ptr<QFileDialog> WidgetDialogService::createFileDialog(QWidget *parent, const QString &filter)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(NameFilters::fromPipeList(filter));
    dialog->setIconProvider(NameOnlyIconProvider::instance());
    return dialog;
}

std::unique_ptr<QMessageBox> WidgetDialogService::createMessageBox(QWidget *parent, const QString &text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QStringLiteral("Hexmoth"), text, QMessageBox::Ok, parent);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}
