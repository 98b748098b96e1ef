#include "maps/Zone.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace velbrin;

namespace {

const TPixelRect kPicture{0, 0, 200, 100};

// A press at from, a drag to to and a release there, as the editor passes them.
template <typename Zone>
void Drag(Zone& zone, TPixelPoint from, TPixelPoint to)
{
    zone.MouseDown(from.X, from.Y);
    zone.MouseMove(to.X, to.Y, ssLeft);
    zone.MouseUp(to.X, to.Y);
}

// A polygon drawn through the points: each vertex is dragged out from the
// last one, then the mouse leaves without a button.
std::unique_ptr<TZonePolygon> DrawPolygon(const std::vector<TPixelPoint>& points)
{
    auto polygon = std::make_unique<TZonePolygon>(points[0], kPicture);
    for (std::size_t i = 1; i < points.size(); ++i)
        Drag(*polygon, points[i - 1], points[i]);
    polygon->MouseMove(points.back().X + 20, points.back().Y, 0);
    return polygon;
}

} // namespace

TEST(ZoneGeometry, RectangleAndBandsStayInThePicture)
{
    TZoneRect rect({150, 80}, kPicture);
    Drag(rect, {150, 80}, {260, -40});
    EXPECT_FALSE(rect.InProgress());
    EXPECT_EQ(rect.Rect(), (TPixelRect{150, 0, 200, 80}));
    EXPECT_EQ(rect.GetCenter(), (TPixelPoint{175, 40}));
    EXPECT_TRUE(rect.PtInZone(150, 0));
    EXPECT_FALSE(rect.PtInZone(200, 40)); // right edge
    EXPECT_FALSE(rect.PtInZone(170, 80)); // bottom edge

    // A horizontal band spans the width whatever the drag; a vertical one the height.
    TZoneRect across({0, 30}, kPicture, true, false);
    Drag(across, {0, 30}, {12, 50});
    EXPECT_EQ(across.GetCoords(), "00,30,200,50");
    TZoneRect down({60, 0}, kPicture, false, true);
    Drag(down, {60, 0}, {70, 3});
    EXPECT_EQ(down.GetCoords(), "60,00,70,100");
}

TEST(ZoneGeometry, SmallZonesAreNotValid)
{
    TZoneRect narrow({10, 10}, kPicture);
    Drag(narrow, {10, 10}, {15, 60});
    EXPECT_FALSE(narrow.IsValid());
    TZoneRect low({10, 10}, kPicture);
    Drag(low, {10, 10}, {60, 15});
    EXPECT_FALSE(low.IsValid());
    TZoneRect kept({10, 10}, kPicture);
    Drag(kept, {10, 10}, {16, 16});
    EXPECT_TRUE(kept.IsValid());

    // The radius is the smaller offset: a flat drag gives a circle of 2 x 2.
    TZoneCircle flat({50, 50}, kPicture);
    Drag(flat, {50, 50}, {90, 50});
    EXPECT_EQ(flat.Square(), (TPixelRect{50, 50, 50, 50}));
    EXPECT_FALSE(flat.IsValid());
    TZoneCircle small({50, 50}, kPicture);
    Drag(small, {50, 50}, {52, 52});
    EXPECT_FALSE(small.IsValid());
    TZoneCircle big({50, 50}, kPicture);
    Drag(big, {50, 50}, {53, 53});
    EXPECT_TRUE(big.IsValid());
    EXPECT_EQ(big.GetCoords(), "50,50,03");

    EXPECT_FALSE(DrawPolygon({{10, 10}, {60, 10}})->IsValid());
    EXPECT_TRUE(DrawPolygon({{10, 10}, {60, 10}, {30, 40}})->IsValid());
}

TEST(ZoneGeometry, CircleStopsAtTheNearestEdge)
{
    TZoneCircle circle({190, 40}, kPicture);
    Drag(circle, {190, 40}, {100, 90});
    EXPECT_EQ(circle.Square(), (TPixelRect{180, 30, 200, 50}));
    EXPECT_EQ(circle.GetRoundRect(), circle.Square());
    EXPECT_TRUE(circle.PtInZone(190, 40));
    EXPECT_FALSE(circle.PtInZone(181, 31)); // corner of the square, outside the circle
}

TEST(ZoneGeometry, CoordinatesAreZeroFilledButPolygonsAreNot)
{
    TZoneRect rect({5, 7}, kPicture);
    Drag(rect, {5, 7}, {40, 60});
    EXPECT_EQ(rect.GetShape(), "rect");
    EXPECT_EQ(rect.GetCoords(), "05,07,40,60");

    TZoneCircle circle({8, 9}, kPicture);
    Drag(circle, {8, 9}, {0, 0});
    EXPECT_EQ(circle.GetShape(), "circle");
    EXPECT_EQ(circle.GetCoords(), "08,09,08");

    auto polygon = DrawPolygon({{5, 7}, {40, 7}, {20, 30}});
    EXPECT_FALSE(polygon->InProgress());
    EXPECT_EQ(polygon->GetShape(), "POLYGON");
    EXPECT_EQ(polygon->GetCoords(), "5,7,40,7,20,30");
    EXPECT_EQ(polygon->GetCenter(), (TPixelPoint{5, 7}));
    EXPECT_EQ(polygon->GetRoundRect(), (TPixelRect{4, 6, 41, 31}));
}

TEST(ZoneGeometry, PolygonStopsAt99VerticesAndItsCoordsAreCutAtAWholeVertex)
{
    const TPixelRect large{0, 0, 1000, 1000};
    TZonePolygon polygon({100, 100}, large);
    TPixelPoint last{100, 100};
    for (int i = 1; i <= 120; ++i) {
        TPixelPoint next{100 + i, 100 + (i % 2) * 50};
        Drag(polygon, last, next);
        last = next;
        if (!polygon.InProgress())
            break;
    }
    EXPECT_FALSE(polygon.InProgress());
    EXPECT_EQ(polygon.Count(), 99);
    EXPECT_EQ(polygon.Vertex(100), (TPixelPoint{100, 100})); // the closing point
    ASSERT_EQ(polygon.Outline().size(), 100u);

    // 99 vertices of "1xx,1xx" need 791 bytes: 32 whole vertices fit in 255.
    const std::string coords = polygon.GetCoords();
    EXPECT_EQ(coords.size(), 255u);
    EXPECT_TRUE(coords.starts_with("100,100,101,150,102,100,"));
    EXPECT_TRUE(coords.ends_with(",131,150")) << coords;

    // A press away from the last vertex ends a polygon early.
    TZonePolygon ended({10, 10}, large);
    Drag(ended, {10, 10}, {50, 10});
    ended.MouseDown(51, 10);
    EXPECT_FALSE(ended.InProgress());
    EXPECT_EQ(ended.Count(), 2);
}

TEST(ZoneGeometry, SetCoordsReadsNumbersLeniently)
{
    TZoneRect rect({0, 0}, kPicture);
    rect.SetCoords(" 10,x 30,\t40 , 50");
    EXPECT_EQ(rect.Rect(), (TPixelRect{10, 0, 30, 40}));
    rect.SetCoords("10,20,1.5,40");
    EXPECT_EQ(rect.Rect(), (TPixelRect{10, 20, 0, 40}));
    EXPECT_FALSE(rect.IsValid());
    rect.SetCoords("10,20,30");
    EXPECT_EQ(rect.Rect(), TPixelRect{});

    TZoneCircle circle({0, 0}, kPicture);
    circle.SetCoords("99999999999999999999999,20,10");
    EXPECT_EQ(circle.GetCenter(), (TPixelPoint{0, 20})); // not a number the platform reads
    circle.SetCoords("-9000000,20,10");
    EXPECT_EQ(circle.GetCenter(), (TPixelPoint{-TZone::kCoordLimit, 20}));

    // 120 numbers: the first 101 are read, 50 vertices.
    std::string many;
    for (int i = 0; i < 120; ++i)
        many += std::to_string(i) + ",";
    TZonePolygon polygon({0, 0}, kPicture);
    polygon.SetCoords(many);
    EXPECT_EQ(polygon.Count(), 50);
    EXPECT_EQ(polygon.Vertex(50), (TPixelPoint{98, 99}));
    EXPECT_EQ(polygon.Vertex(51), (TPixelPoint{0, 1}));
    EXPECT_EQ(polygon.GetCenter(), (TPixelPoint{0, 1}));

    TZonePolygon shortOne({0, 0}, kPicture);
    shortOne.SetCoords("1,2,3,4,5");
    EXPECT_EQ(shortOne.Count(), 0);
}

TEST(ZoneGeometry, PolygonHoldsItsLeftAndTopEdgesOnly)
{
    TZonePolygon square({0, 0}, kPicture);
    square.SetCoords("10,10,20,10,20,20,10,20");
    EXPECT_TRUE(square.PtInZone(10, 10));
    EXPECT_TRUE(square.PtInZone(10, 19));
    EXPECT_TRUE(square.PtInZone(19, 19));
    EXPECT_FALSE(square.PtInZone(20, 15));
    EXPECT_FALSE(square.PtInZone(15, 20));
    EXPECT_FALSE(square.PtInZone(9, 15));

    // Alternate filling: where the outline crosses itself the overlap is outside.
    TZonePolygon star({0, 0}, kPicture);
    star.SetCoords("50,0,80,90,0,30,100,30,20,90");
    EXPECT_TRUE(star.PtInZone(50, 10));
    EXPECT_FALSE(star.PtInZone(50, 50));
    EXPECT_FALSE(star.PtInZone(50, 80));
}
