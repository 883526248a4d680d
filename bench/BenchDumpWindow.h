#pragma once

#include "DumpWindow.h"
#include "TextMetrics.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

// The least window a dump run can go with: the dialog answers with a fixed
// path, events and the stop button are ignored, and only what a benchmark
// checks afterwards is kept (the last caption, the messages, both texts).
// The time between two calls to handle events is one block's work: the
// longest is the longest the window would have waited.
// Option1 ("cut the front") is selected, as when the window opens.
class BenchDumpWindow : public DumpWindow
{
public:
    explicit BenchDumpWindow(QString path) : m_path(std::move(path)) {}

    std::optional<QString> chooseFile(const QString &) override { return m_path; }
    void setStatusCaption(const QString &caption) override { m_caption = caption; }
    void setStopEnabled(bool) override {}
    void handlePendingEvents() override;
    void showMessage(const QString &text) override { m_messages << text; }
    // Every character as wide as an average one of a 9 point font: the text
    // is measured as for a real view.
    std::shared_ptr<const TextMetrics> textMetrics() const override
    {
        static const auto metrics = TextMetrics::uniform(7 * 64, 8 * 7 * 64);
        return metrics;
    }
    void setFileText(std::shared_ptr<const FileText> text) override { m_fileText = std::move(text); }
    void setDumpText(const QString &text) override { m_dumpText = text; }
    bool isCutFrontSelected() const override { return true; }

    const QString &caption() const { return m_caption; }
    const QStringList &messages() const { return m_messages; }
    const QString &dumpText() const { return m_dumpText; }
    const std::shared_ptr<const FileText> &fileText() const { return m_fileText; }
    void releaseTexts();
    double longestBlockMs() const { return m_longestBlockMs; }

private:
    QString m_path;
    QString m_caption;
    QStringList m_messages;
    QString m_dumpText;
    std::shared_ptr<const FileText> m_fileText;
    QElapsedTimer m_sinceEvents;
    double m_longestBlockMs = 0;
};
