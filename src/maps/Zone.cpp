#include "maps/Zone.h"

#include "core/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace velbrin {

namespace {

constexpr std::size_t kMaxCoordsText = 255;

// "%.2d": at least two digits, zero-filled ("05", "-05", "123").
std::string TwoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", value);
    return text;
}

} // namespace

// --- Rectangles ------------------------------------------------------------------------

TPixelRect TPixelRect::Normalised() const
{
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
}

TPixelRect TPixelRect::Intersected(const TPixelRect& other) const
{
    TPixelRect common{std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
                      std::min(Bottom, other.Bottom)};
    // Sides of zero length are kept: a rectangle being drawn starts as a point.
    if (common.Right < common.Left || common.Bottom < common.Top)
        return {};
    return common;
}

TPixelRect TPixelRect::United(const TPixelRect& other) const
{
    if (other.IsEmpty())
        return *this;
    if (IsEmpty())
        return other;
    return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
            std::max(Bottom, other.Bottom)};
}

std::vector<int> ParseCoordNumbers(std::string_view coords)
{
    std::string spaced(coords);
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::vector<int> numbers;
    for (const std::string& word : SplitWords(spaced)) {
        const std::int64_t value = ParseIntOr(word, 0);
        numbers.push_back(static_cast<int>(std::clamp<std::int64_t>(value, -TZone::kCoordLimit, TZone::kCoordLimit)));
    }
    return numbers;
}

// --- TZoneRect ---------------------------------------------------------------------------

void TZoneRect::Draw(TZoneCanvas& canvas) const { canvas.Rectangle(m_rect); }

bool TZoneRect::PtInZone(int x, int y) const { return m_rect.Contains(x, y); }

void TZoneRect::MouseDown(int x, int y)
{
    MouseMove(x, y, ssLeft);
    m_inProgress = true;
}

void TZoneRect::MouseUp(int x, int y)
{
    MouseMove(x, y, ssLeft);
    m_inProgress = false;
}

void TZoneRect::MouseMove(int x, int y, TShiftState)
{
    if (m_lockX)
        x = m_bounds.Right;
    if (m_lockY)
        y = m_bounds.Bottom;
    m_rect = TPixelRect{m_anchor.X, m_anchor.Y, x, y}.Normalised().Intersected(m_bounds);
}

TPixelPoint TZoneRect::GetCenter() const
{
    return {(m_rect.Left + m_rect.Right) / 2, (m_rect.Top + m_rect.Bottom) / 2};
}

std::string TZoneRect::GetShape() const { return "rect"; }

std::string TZoneRect::GetCoords() const
{
    return TwoDigits(m_rect.Left) + "," + TwoDigits(m_rect.Top) + "," + TwoDigits(m_rect.Right) + "," +
           TwoDigits(m_rect.Bottom);
}

TPixelRect TZoneRect::GetRoundRect() const { return m_rect; }

bool TZoneRect::IsValid() const { return m_rect.Left + 5 < m_rect.Right && m_rect.Top + 5 < m_rect.Bottom; }

void TZoneRect::SetCoords(std::string_view coords)
{
    const std::vector<int> n = ParseCoordNumbers(coords);
    m_rect = n.size() >= 4 ? TPixelRect{n[0], n[1], n[2], n[3]} : TPixelRect{};
}

// --- TZoneCircle -------------------------------------------------------------------------

void TZoneCircle::Draw(TZoneCanvas& canvas) const { canvas.Ellipse(m_square); }

bool TZoneCircle::PtInZone(int x, int y) const
{
    if (m_square.IsEmpty())
        return false;
    // The pixel's centre against the ellipse inscribed in the square.
    const double a = m_square.Width() / 2.0;
    const double b = m_square.Height() / 2.0;
    const double dx = (x + 0.5 - (m_square.Left + a)) / a;
    const double dy = (y + 0.5 - (m_square.Top + b)) / b;
    return dx * dx + dy * dy <= 1.0;
}

void TZoneCircle::MouseDown(int, int)
{
    m_square = {m_anchor.X - 1, m_anchor.Y - 1, m_anchor.X + 1, m_anchor.Y + 1};
    m_inProgress = true;
}

void TZoneCircle::MouseUp(int x, int y)
{
    if (!m_inProgress)
        return;
    MouseMove(x, y, ssLeft);
    m_inProgress = false;
}

void TZoneCircle::MouseMove(int x, int y, TShiftState)
{
    if (!m_inProgress)
        return;
    const int cx = m_anchor.X;
    const int cy = m_anchor.Y;
    int r = std::min(std::abs(cx - x), std::abs(cy - y));
    r = std::min({r, cx - m_bounds.Left, m_bounds.Right - cx, cy - m_bounds.Top, m_bounds.Bottom - cy});
    r = std::max(r, 0);
    m_square = {cx - r, cy - r, cx + r, cy + r};
}

TPixelPoint TZoneCircle::GetCenter() const { return m_anchor; }

std::string TZoneCircle::GetShape() const { return "circle"; }

std::string TZoneCircle::GetCoords() const
{
    return TwoDigits(m_anchor.X) + "," + TwoDigits(m_anchor.Y) + "," + TwoDigits(m_square.Width() / 2);
}

TPixelRect TZoneCircle::GetRoundRect() const { return m_square; }

bool TZoneCircle::IsValid() const { return m_square.Right - m_square.Left > 5; }

void TZoneCircle::SetCoords(std::string_view coords)
{
    const std::vector<int> n = ParseCoordNumbers(coords);
    if (n.size() < 3)
        return;
    m_anchor = {n[0], n[1]};
    m_square = {n[0] - n[2], n[1] - n[2], n[0] + n[2], n[1] + n[2]};
}

// --- TZonePolygon ------------------------------------------------------------------------

std::vector<TPixelPoint> TZonePolygon::Outline() const
{
    if (m_count == 0)
        return {};
    return {m_vertices.begin(), m_vertices.begin() + m_count + 1};
}

void TZonePolygon::Draw(TZoneCanvas& canvas) const
{
    if (m_count > 0)
        canvas.Polygon(Outline());
}

bool TZonePolygon::PtInZone(int x, int y) const
{
    // Alternate filling: the pixel's centre is inside when a ray from it
    // crosses the outline an odd number of times. Vertices lie on whole
    // pixels, so the centre never falls on a vertex: the left and top edges
    // of an outline hold its pixels, the right and bottom edges do not, as
    // for a rectangle.
    const double px = x + 0.5;
    const double py = y + 0.5;
    bool inside = false;
    const std::vector<TPixelPoint> points = Outline();
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const TPixelPoint a = points[i];
        const TPixelPoint b = points[i + 1];
        if ((a.Y > py) == (b.Y > py))
            continue;
        const double crossX = a.X + (py - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y);
        if (px < crossX)
            inside = !inside;
    }
    return inside;
}

void TZonePolygon::MouseDown(int x, int y)
{
    if (m_inProgress) {
        const TPixelPoint last = m_vertices[static_cast<std::size_t>(m_count - 1)];
        if (last != TPixelPoint{x, y}) {
            m_inProgress = false;
            return;
        }
    } else if (m_count > 0) {
        return; // finished
    } else {
        m_count = 1;
        m_vertices[0] = {x, y};
    }
    if (m_count >= kMaxVertices) {
        m_inProgress = false;
        return;
    }
    ++m_count;
    m_vertices[static_cast<std::size_t>(m_count - 1)] = {x, y};
    Close();
    m_inProgress = true;
}

void TZonePolygon::MouseUp(int x, int y)
{
    if (m_inProgress)
        m_vertices[static_cast<std::size_t>(m_count - 1)] = {x, y};
}

void TZonePolygon::MouseMove(int x, int y, TShiftState shift)
{
    if (!m_inProgress)
        return;
    TPixelPoint& last = m_vertices[static_cast<std::size_t>(m_count - 1)];
    if (shift & ssLeft)
        last = {x, y};
    else if (std::abs(x - last.X) > 5 || std::abs(y - last.Y) > 5)
        m_inProgress = false;
}

TPixelPoint TZonePolygon::GetCenter() const { return m_anchor; }

std::string TZonePolygon::GetShape() const { return "POLYGON"; }

std::string TZonePolygon::GetCoords() const
{
    // Whole vertices only: a cut inside a number would move a vertex.
    std::string coords;
    for (int i = 0; i < m_count; ++i) {
        const TPixelPoint v = m_vertices[static_cast<std::size_t>(i)];
        std::string pair = (i > 0 ? "," : "") + std::to_string(v.X) + "," + std::to_string(v.Y);
        if (coords.size() + pair.size() > kMaxCoordsText)
            break;
        coords += pair;
    }
    return coords;
}

TPixelRect TZonePolygon::GetRoundRect() const
{
    if (m_count == 0)
        return {};
    TPixelRect box{m_vertices[0].X, m_vertices[0].Y, m_vertices[0].X, m_vertices[0].Y};
    const int last = m_count == 2 ? 2 : m_count + 1;
    for (int i = 1; i < last; ++i) {
        const TPixelPoint v = m_vertices[static_cast<std::size_t>(i)];
        box = {std::min(box.Left, v.X), std::min(box.Top, v.Y), std::max(box.Right, v.X), std::max(box.Bottom, v.Y)};
    }
    return box.Grown(1);
}

bool TZonePolygon::IsValid() const { return m_count > 2; }

void TZonePolygon::SetCoords(std::string_view coords)
{
    const std::vector<int> n = ParseCoordNumbers(coords);
    if (n.size() < 6)
        return;
    m_count = static_cast<int>(n.size() / 2);
    for (int i = 0; i < m_count; ++i)
        m_vertices[static_cast<std::size_t>(i)] = {n[2 * i], n[2 * i + 1]};
    Close();
    // A polygon drawn with the mouse is anchored at its first vertex; one
    // read back keeps the query of its centre on the next save.
    m_anchor = m_vertices[0];
}

} // namespace velbrin
