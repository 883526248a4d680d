#include "FakeDialogService.h"

std::optional<QString> FakeDialogService::chooseFile(QWidget *, const QString &filter)
{
    filters << filter;
    if (onChooseFile)
        onChooseFile();
    return chosenPath;
}

void FakeDialogService::showMessage(QWidget *, const QString &text)
{
    messages << text;
}
