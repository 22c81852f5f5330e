#include "frame_hints.h"

#include <QGuiApplication>
#include <QWindow>

#if defined(TR4410_WITH_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#define TR4410_HAVE_XCB 1
#endif

namespace FrameHints {

#ifdef TR4410_HAVE_XCB
namespace {

// The layout of _MOTIF_WM_HINTS: five 32-bit fields.
struct MotifHints
{
    quint32 flags = 0;
    quint32 functions = 0;
    quint32 decorations = 0;
    qint32 inputMode = 0;
    quint32 status = 0;
};

constexpr quint32 HintsFunctions = 1u << 0;
constexpr quint32 HintsDecorations = 1u << 1;
constexpr quint32 FunctionAll = 1u << 0;
constexpr quint32 FunctionResize = 1u << 1;
constexpr quint32 FunctionMove = 1u << 2;
constexpr quint32 FunctionMinimize = 1u << 3;
constexpr quint32 FunctionMaximize = 1u << 4;
constexpr quint32 FunctionClose = 1u << 5;
constexpr quint32 DecorationResizeHandles = 1u << 2;

xcb_atom_t motifAtom(xcb_connection_t *connection)
{
    static const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace
#endif

void forbidResizing(QWindow *window)
{
#ifdef TR4410_HAVE_XCB
    // Other platforms may offer the X11 interface too (offscreen does, without a connection).
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb") || !window || !window->handle())
        return;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *const connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t atom = motifAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return;

    MotifHints hints;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, atom, atom, 0, sizeof(MotifHints) / 4), nullptr);
    if (reply && reply->format == 32 && reply->value_len * 4 >= sizeof(MotifHints))
        std::memcpy(&hints, xcb_get_property_value(reply), sizeof(MotifHints));
    std::free(reply);

    // "All functions" lists what is taken away; spell the rest out instead.
    if (!(hints.flags & HintsFunctions) || (hints.functions & FunctionAll))
        hints.functions = FunctionMove | FunctionMinimize | FunctionMaximize | FunctionClose;
    hints.flags |= HintsFunctions;
    hints.functions &= ~FunctionResize;
    if (hints.flags & HintsDecorations)
        hints.decorations &= ~DecorationResizeHandles;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom, atom, 32, sizeof(MotifHints) / 4,
                        &hints);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

} // namespace FrameHints
