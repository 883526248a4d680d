#pragma once

#include <QByteArray>
#include <QtGlobal>

struct xcb_connection_t;

// The test's own connection to an X display, for what xdotool cannot do.
class X11Display
{
public:
    explicit X11Display(const QByteArray &name);
    ~X11Display();
    X11Display(const X11Display &) = delete;
    X11Display &operator=(const X11Display &) = delete;

    bool isOpen() const;
    // Asks a window to close, as a window manager's close button does
    // (a WM_DELETE_WINDOW message).
    bool requestClose(quint32 window);

private:
    quint32 atom(const char *name);

    xcb_connection_t *m_connection = nullptr;
};
