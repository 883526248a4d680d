#include "VirtualDisplay.h"

VirtualDisplay::VirtualDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        m_description = qEnvironmentVariable("QT_QPA_PLATFORM");
        return;
    }
    if (qEnvironmentVariableIsSet("DISPLAY")) {
        m_description = QStringLiteral("DISPLAY ") + qEnvironmentVariable("DISPLAY");
        return;
    }
    m_server = std::make_unique<QProcess>();
    m_server->start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (m_server->waitForStarted() && m_server->waitForReadyRead(10000)) {
        const QByteArray display = ':' + m_server->readLine().trimmed();
        qputenv("DISPLAY", display);
        m_description = QStringLiteral("Xvfb ") + QString::fromLatin1(display);
        return;
    }
    m_server.reset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    m_description = QStringLiteral("offscreen");
}

VirtualDisplay::~VirtualDisplay()
{
    if (!m_server)
        return;
    m_server->terminate();
    m_server->waitForFinished();
}
