#pragma once

namespace velbrin {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    friend bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
    int X = 0;
    int Y = 0;

    friend bool operator==(const TPoint&, const TPoint&) = default;
};

inline int Min(int a, int b) { return a < b ? a : b; }
inline int Max(int a, int b) { return a > b ? a : b; }

// The same rectangle with Left <= Right and Top <= Bottom.
inline TRect NormalizeRect(TRect r)
{
    return {Min(r.Left, r.Right), Min(r.Top, r.Bottom), Max(r.Left, r.Right), Max(r.Top, r.Bottom)};
}

} // namespace velbrin
