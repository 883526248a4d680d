#pragma once

#include <QProcess>
#include <QString>
#include <memory>

// A display for a benchmark's windows, so that they are really painted.
// When neither DISPLAY nor QT_QPA_PLATFORM is set, starts Xvfb and sets
// DISPLAY for this process and its children; without Xvfb, falls back to
// the offscreen platform. The server is ended with this object.
//
// Made before any QGuiApplication: the platform is chosen when one starts.
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    // "Xvfb :N", "DISPLAY :N" (one that was already there) or "offscreen".
    QString description() const { return m_description; }

private:
    std::unique_ptr<QProcess> m_server;
    QString m_description;
};
