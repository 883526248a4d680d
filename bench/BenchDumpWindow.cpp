#include "BenchDumpWindow.h"

#include "FileText.h"

#include <algorithm>

void BenchDumpWindow::releaseTexts()
{
    m_fileText.reset();
    m_dumpText.clear();
}

void BenchDumpWindow::handlePendingEvents()
{
    if (m_sinceEvents.isValid())
        m_longestBlockMs = std::max(m_longestBlockMs, double(m_sinceEvents.nsecsElapsed()) / 1e6);
    m_sinceEvents.start();
}
