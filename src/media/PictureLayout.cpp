#include "media/PictureLayout.h"

#include <algorithm>
#include <cstdint>

namespace velbrin {

namespace {

// value × numerator / denominator, rounded, at least 1.
int Scale(int value, int numerator, int denominator)
{
    const std::int64_t scaled =
        (static_cast<std::int64_t>(value) * numerator + denominator / 2) / denominator;
    return static_cast<int>(std::max<std::int64_t>(scaled, 1));
}

} // namespace

TPictureLayout LayOutPicture(int width, int height, int panelWidth, int panelHeight, bool shrink)
{
    panelWidth = std::max(panelWidth, 0);
    panelHeight = std::max(panelHeight, 0);
    TPictureLayout layout;
    if (width <= 0 || height <= 0) {
        layout.CanvasWidth = panelWidth;
        layout.CanvasHeight = panelHeight;
        layout.Left = panelWidth / 2;
        layout.Top = panelHeight / 2;
        return layout;
    }
    layout.Width = width;
    layout.Height = height;
    const bool larger = width > panelWidth || height > panelHeight;
    if (shrink && larger && panelWidth > 0 && panelHeight > 0) {
        if (static_cast<std::int64_t>(height) * panelWidth < static_cast<std::int64_t>(width) * panelHeight) {
            layout.Width = panelWidth;
            layout.Height = std::min(Scale(height, panelWidth, width), panelHeight);
        } else {
            layout.Height = panelHeight;
            layout.Width = std::min(Scale(width, panelHeight, height), panelWidth);
        }
    }
    layout.CanvasWidth = std::max(panelWidth, layout.Width);
    layout.CanvasHeight = std::max(panelHeight, layout.Height);
    layout.Left = (layout.CanvasWidth - layout.Width) / 2;
    layout.Top = (layout.CanvasHeight - layout.Height) / 2;
    return layout;
}

} // namespace velbrin
