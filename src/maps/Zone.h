#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A point of a picture, in pixels from its top left corner.
struct TPixelPoint {
    int X = 0;
    int Y = 0;

    bool operator==(const TPixelPoint&) const = default;
};

// A rectangle of a picture: the pixels x with Left <= x < Right and y with
// Top <= y < Bottom. Empty when Right <= Left or Bottom <= Top.
struct TPixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool operator==(const TPixelRect&) const = default;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    // The same rectangle with Left <= Right and Top <= Bottom.
    TPixelRect Normalised() const;
    // The common part; an empty rectangle (all zero) when there is none.
    TPixelRect Intersected(const TPixelRect& other) const;
    // The smallest rectangle holding both; an empty one adds nothing.
    TPixelRect United(const TPixelRect& other) const;
    TPixelRect Grown(int by) const { return {Left - by, Top - by, Right + by, Bottom + by}; }
};

// Buttons held and keys down during a mouse move.
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
};
using TShiftState = unsigned;

// Where a zone draws its outline (the editor's window paints through it).
class TZoneCanvas {
public:
    virtual ~TZoneCanvas() = default;
    // The border of the rectangle, on its pixels (right and bottom edges excluded).
    virtual void Rectangle(const TPixelRect& rect) = 0;
    // The ellipse inscribed in the rectangle.
    virtual void Ellipse(const TPixelRect& rect) = 0;
    // The closed outline through the points, in order.
    virtual void Polygon(const std::vector<TPixelPoint>& points) = 0;
};

// A zone of a client-side map, drawn with the mouse over a picture or read
// from a map file. The anchor is where the drawing started; the bounds are
// the picture's rectangle, which a drawn zone never leaves.
class TZone {
public:
    // Coordinates read from a map file are kept within this distance of the
    // picture, so that no computation on them can overflow.
    static constexpr int kCoordLimit = 1000000;

    TZone(TPixelPoint anchor, const TPixelRect& bounds)
        : m_anchor(anchor)
        , m_bounds(bounds)
    {
    }
    virtual ~TZone() = default;
    TZone(const TZone&) = delete;
    TZone& operator=(const TZone&) = delete;

    virtual void Draw(TZoneCanvas& canvas) const = 0;
    virtual bool PtInZone(int x, int y) const = 0;
    virtual void MouseDown(int x, int y) = 0;
    virtual void MouseUp(int x, int y) = 0;
    virtual void MouseMove(int x, int y, TShiftState shift) = 0;
    // The point whose query the server-side map answers for this zone.
    virtual TPixelPoint GetCenter() const = 0;
    // The shape attribute of the zone's area line.
    virtual std::string GetShape() const = 0;
    // The coords attribute of the zone's area line, at most 255 bytes.
    virtual std::string GetCoords() const = 0;
    // Encloses everything Draw paints (the part of the window to repaint).
    virtual TPixelRect GetRoundRect() const = 0;
    // Large enough to be kept.
    virtual bool IsValid() const = 0;
    // Takes the zone from a coords attribute.
    virtual void SetCoords(std::string_view coords) = 0;

    // Set while the user is drawing the zone.
    bool InProgress() const { return m_inProgress; }
    TPixelPoint Anchor() const { return m_anchor; }
    const TPixelRect& Bounds() const { return m_bounds; }

protected:
    bool m_inProgress = false;
    TPixelPoint m_anchor;
    TPixelRect m_bounds;
};

// The numbers of a coords attribute: split at commas and blanks, at most 101
// of them; a piece that is not a whole number counts 0, and every number is
// kept within +/- TZone::kCoordLimit.
std::vector<int> ParseCoordNumbers(std::string_view coords);

// A rectangle, or a band: with lock-x the rectangle always reaches the right
// edge of the bounds (a horizontal band anchored at x 0), with lock-y the
// bottom edge (a vertical band anchored at y 0).
class TZoneRect : public TZone {
public:
    TZoneRect(TPixelPoint anchor, const TPixelRect& bounds, bool lockX = false, bool lockY = false)
        : TZone(anchor, bounds)
        , m_lockX(lockX)
        , m_lockY(lockY)
    {
    }

    void Draw(TZoneCanvas& canvas) const override;
    bool PtInZone(int x, int y) const override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y, TShiftState shift) override;
    TPixelPoint GetCenter() const override;
    std::string GetShape() const override;
    std::string GetCoords() const override;
    TPixelRect GetRoundRect() const override;
    bool IsValid() const override;
    void SetCoords(std::string_view coords) override;

    const TPixelRect& Rect() const { return m_rect; }

private:
    TPixelRect m_rect;
    bool m_lockX;
    bool m_lockY;
};

// A circle drawn from its centre (the anchor) outwards, kept inside the bounds.
class TZoneCircle : public TZone {
public:
    using TZone::TZone;

    void Draw(TZoneCanvas& canvas) const override;
    bool PtInZone(int x, int y) const override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y, TShiftState shift) override;
    TPixelPoint GetCenter() const override;
    std::string GetShape() const override;
    std::string GetCoords() const override;
    TPixelRect GetRoundRect() const override;
    bool IsValid() const override;
    void SetCoords(std::string_view coords) override;

    // The square that encloses the circle.
    const TPixelRect& Square() const { return m_square; }

private:
    TPixelRect m_square;
};

// A polygon drawn vertex by vertex: a press starts it, dragging places the
// next vertex, a press exactly on the last vertex adds one more, and a press
// elsewhere or a move away from the last vertex without a button ends it.
// The outline is closed: the point after the last vertex is the first.
class TZonePolygon : public TZone {
public:
    static constexpr int kCapacity = 100;
    // A polygon stops growing here; the slot after it holds the closing point.
    static constexpr int kMaxVertices = kCapacity - 1;

    using TZone::TZone;

    void Draw(TZoneCanvas& canvas) const override;
    bool PtInZone(int x, int y) const override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y, TShiftState shift) override;
    TPixelPoint GetCenter() const override;
    std::string GetShape() const override;
    std::string GetCoords() const override;
    TPixelRect GetRoundRect() const override;
    bool IsValid() const override;
    void SetCoords(std::string_view coords) override;

    int Count() const { return m_count; }
    // Vertex 1 .. Count() + 1 (the closing point).
    TPixelPoint Vertex(int number) const { return m_vertices[static_cast<std::size_t>(number - 1)]; }
    // Vertices 1 to Count() + 1; empty before the first press.
    std::vector<TPixelPoint> Outline() const;

private:
    void Close() { m_vertices[static_cast<std::size_t>(m_count)] = m_vertices[0]; }

    std::array<TPixelPoint, kCapacity> m_vertices{};
    int m_count = 0;
};

} // namespace velbrin
