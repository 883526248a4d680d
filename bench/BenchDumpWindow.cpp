#include "BenchDumpWindow.h"

#include "FileText.h"

void BenchDumpWindow::releaseTexts()
{
    m_fileText.reset();
    m_dumpText.clear();
}
