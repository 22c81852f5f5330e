#pragma once

class QWindow;

// What the window manager is told about a top-level window's frame beyond the standard size
// hints.
namespace FrameHints {

// Takes resizing out of the window's Motif hints (the function and the resize handles). Qt writes
// them with resizing allowed whatever the window's size limits, and some window managers go by
// them alone. Does nothing outside the xcb platform with its X connection, or before the
// window has a native handle.
void forbidResizing(QWindow *window);

} // namespace FrameHints
