#include "ClipboardCopy.h"

#include "FileText.h"
#include "HexBytes.h"
#include "TextNavigator.h"

#include <QGuiApplication>

ClipboardCopy::ClipboardCopy(QClipboard::Mode mode, QObject *parent)
    : QObject(parent)
    , m_mode(mode)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardCopy::step);
}

void ClipboardCopy::start(std::shared_ptr<const FileText> text, BytePosition from, BytePosition to, Format format)
{
    m_text = std::move(text);
    m_format = format;
    m_from = from;
    m_next = from;
    m_to = to;
    m_decoded = QString();
    m_decoded.reserve(qsizetype(to - from) * (format == Format::Hex ? 3 : 1));
    step();
    if (isActive())
        m_timer.start();
}

void ClipboardCopy::step()
{
    const TextNavigator text(*m_text);
    const BytePosition end = m_to - m_next > StepBytes ? text.positionNear(m_next + StepBytes) : m_to;
    if (m_format == Format::Hex)
        appendHexBytes(m_decoded, text.data() + m_next.value(), end - m_next, m_next - m_from);
    else
        m_decoded += text.copiedText(m_next, end);
    m_next = end;
    if (m_next < m_to)
        return;
    m_timer.stop();
    m_text.reset();
    QGuiApplication::clipboard()->setText(std::exchange(m_decoded, QString()), m_mode);
    emit finished();
}
