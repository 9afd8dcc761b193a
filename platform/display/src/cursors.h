// Cursors of the layer as X cursors: the system's by the X cursor font's
// shapes, any other from its own pixels (two colours and a mask, as the core
// protocol draws cursors).
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "helm/kernel/types.h"

namespace helm::display {

struct CursorPicture {
    unsigned shape = 0;  // an X cursor font shape, or 0 for the pixels below
    int width = 0;
    int height = 0;
    int hot_x = 0;
    int hot_y = 0;
    std::vector<uint32_t> argb;  // premultiplied, as the layer's pictures are
};

// Any thread: what the cursor looks like (the arrow for a handle that is no
// cursor).
CursorPicture picture_of(HCURSOR cursor);
// Display thread: a new X cursor for the picture.
Cursor make_cursor(Display* display, const CursorPicture& picture);

}  // namespace helm::display
