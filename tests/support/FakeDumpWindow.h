#pragma once

#include "DumpWindow.h"
#include "FileText.h"
#include "TextMetrics.h"

#include <QString>
#include <QStringList>
#include <functional>

// A window that records what the run asks of it, answers the file dialog
// with a preset path, and runs a chosen action when events are handled.
class FakeDumpWindow : public DumpWindow
{
public:
    std::optional<QString> chooseFile(const QString &filter) override;
    void setStatusCaption(const QString &caption) override;
    void setStopEnabled(bool enabled) override;
    void handlePendingEvents() override;
    void showMessage(const QString &text) override;
    std::shared_ptr<const TextMetrics> textMetrics() const override { return metrics; }
    void setFileText(std::shared_ptr<const FileText> text) override;
    void setDumpText(const QString &text) override;
    bool isCutFrontSelected() const override { return cutFront; }

    // Set by the test.
    std::optional<QString> chosenPath;
    bool cutFront = true;
    std::shared_ptr<const TextMetrics> metrics = TextMetrics::uniform(64, XUnits(8 * 64));
    std::function<void(int pass)> onPendingEvents; // pass counts from 1

    // Recorded.
    QStringList dialogFilters;
    QStringList captions;
    QStringList messages;
    QList<bool> stopEnabledChanges;
    bool stopEnabled = false;
    int eventPasses = 0;
    QString dumpText;
    int dumpTextChanges = 0;
    std::shared_ptr<const FileText> fileText;
    int fileTextChanges = 0;
};
