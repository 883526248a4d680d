#include "X11Display.h"

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

X11Display::X11Display(const QByteArray &name)
    : m_connection(xcb_connect(name.constData(), nullptr))
{
}

X11Display::~X11Display()
{
    xcb_disconnect(m_connection);
}

bool X11Display::isOpen() const
{
    return m_connection && !xcb_connection_has_error(m_connection);
}

bool X11Display::requestClose(quint32 window)
{
    if (!isOpen())
        return false;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, false, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    return xcb_flush(m_connection) > 0;
}

quint32 X11Display::atom(const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_connection, false, quint16(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
    const quint32 result = reply ? reply->atom : 0;
    std::free(reply);
    return result;
}
