#pragma once
// Screens pile up: a student who has visited every section has fourteen
// windows open, most of them maximized behind the one in use, and each keeps
// an image of its whole area to redraw itself from (8 MiB for a maximized
// window on a full-HD screen). A window that another of the program's own
// windows has replaced as the active one gives that image back; it draws
// itself afresh, once, when it is next changed or uncovered. The window
// system keeps showing what was last drawn in the meantime, and a window
// the student keeps beside another still repaints on every change.
//
// A window left for a dialog of its own, or for another program, keeps its
// image: the student comes straight back to it.

class QWidget;

namespace valthera {

// Makes a top-level window give back its image while another of the
// program's windows is active. Only where the windowing system frees the
// image when asked (X11 and the offscreen platform); elsewhere nothing.
void releaseImageWhenReplaced(QWidget *window);

} // namespace valthera
