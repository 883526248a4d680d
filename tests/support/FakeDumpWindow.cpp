#include "FakeDumpWindow.h"

std::optional<QString> FakeDumpWindow::chooseFile(const QString &filter)
{
    dialogFilters << filter;
    return chosenPath;
}

void FakeDumpWindow::setStatusCaption(const QString &caption)
{
    captions << caption;
}

void FakeDumpWindow::setStopEnabled(bool enabled)
{
    stopEnabled = enabled;
    stopEnabledChanges << enabled;
}

void FakeDumpWindow::handlePendingEvents()
{
    ++eventPasses;
    if (onPendingEvents)
        onPendingEvents(eventPasses);
}

void FakeDumpWindow::showMessage(const QString &text)
{
    messages << text;
}

void FakeDumpWindow::setFileText(std::shared_ptr<const FileText> text)
{
    fileText = std::move(text);
    ++fileTextChanges;
}

void FakeDumpWindow::setDumpText(const QString &text)
{
    dumpText = text;
    ++dumpTextChanges;
}
