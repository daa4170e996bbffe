#pragma once

// What the X server holds as a window's title: the title bar a window manager draws shows this,
// not QWidget::windowTitle(). Needs the xcb platform (the window tests run under Xvfb).

#include <QGuiApplication>
#include <QString>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace thornvale::test {

// The window's _NET_WM_NAME, or WM_NAME when that is not set; nothing when neither is set or the
// program does not run on X11.
inline std::optional<QString> X11WindowName(const QWindow *window)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window)
        return std::nullopt;
    xcb_connection_t *c = x11->connection();
    auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    };
    for (const xcb_atom_t property : { atom("_NET_WM_NAME"), xcb_atom_t(XCB_ATOM_WM_NAME) }) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(c,
            xcb_get_property(
                c, 0, xcb_window_t(window->winId()), property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        if (!reply)
            continue;
        const int length = xcb_get_property_value_length(reply);
        const bool set = reply->type != XCB_ATOM_NONE;
        const QString value
            = QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply)), length);
        std::free(reply);
        if (set)
            return value;
    }
    return std::nullopt;
}

} // namespace thornvale::test
