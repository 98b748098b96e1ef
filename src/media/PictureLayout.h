#pragma once

namespace velbrin {

// Where a picture goes on the panel that shows it, in pixels. The canvas is
// what the panel scrolls over: the panel itself, or the picture's own size
// where the picture is larger and is not shrunk.
struct TPictureLayout {
    int CanvasWidth = 0;
    int CanvasHeight = 0;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    friend bool operator==(const TPictureLayout&, const TPictureLayout&) = default;
};

// A picture is never enlarged. With shrink on, one larger than the panel in
// either direction is scaled down to fit, keeping its proportions (to the
// panel's width when height × panelWidth < width × panelHeight, otherwise to
// its height); otherwise it keeps its own size. It is centred on the canvas.
// Sizes of 0 or less give an empty picture centred on the panel.
TPictureLayout LayOutPicture(int width, int height, int panelWidth, int panelHeight, bool shrink);

} // namespace velbrin
