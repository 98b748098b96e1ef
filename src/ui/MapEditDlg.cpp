#include "ui/MapEditDlg.h"

#include "capture/Web.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/ShortString.h"
#include "core/Text.h"
#include "html/HtmlParser.h"
#include "maps/MapFile.h"
#include "store/LocalName.h"
#include "ui/MapOpenDlg.h"
#include "ui/MessageBoxes.h"
#include "ui/ShownText.h"

#include <QActionGroup>
#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace velbrin {

namespace {

// The shape words of an area tag: 1 and 2 are rectangles, 3 circles, 4 and 5 polygons.
constexpr std::string_view kShapeWords = "rect rectangle circle poly polygon";

// Draws the outlines of zones with the painter's pen, the way they cover
// pixels: a rectangle's right and bottom edges are outside it.
class TPainterCanvas : public TZoneCanvas {
public:
    explicit TPainterCanvas(QPainter& painter)
        : m_painter(painter)
    {
    }

    void Rectangle(const TPixelRect& rect) override
    {
        if (!rect.IsEmpty())
            m_painter.drawRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
    }
    void Ellipse(const TPixelRect& rect) override
    {
        if (!rect.IsEmpty())
            m_painter.drawEllipse(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
    }
    void Polygon(const std::vector<TPixelPoint>& points) override
    {
        QPolygon polygon;
        for (const TPixelPoint& p : points)
            polygon << QPoint(p.X, p.Y);
        m_painter.drawPolygon(polygon, Qt::OddEvenFill);
    }

private:
    QPainter& m_painter;
};

std::unique_ptr<TZone> MakeZone(TMapTool tool, TPixelPoint anchor, const TPixelRect& bounds)
{
    switch (tool) {
    case TMapTool::Rectangle: return std::make_unique<TZoneRect>(anchor, bounds);
    case TMapTool::HorizontalBand: return std::make_unique<TZoneRect>(anchor, bounds, true, false);
    case TMapTool::VerticalBand: return std::make_unique<TZoneRect>(anchor, bounds, false, true);
    case TMapTool::Circle: return std::make_unique<TZoneCircle>(anchor, bounds);
    case TMapTool::Polygon: return std::make_unique<TZonePolygon>(anchor, bounds);
    }
    return nullptr;
}

QRect ToQRect(const TPixelRect& rect)
{
    return QRect(QPoint(rect.Left, rect.Top), QPoint(rect.Right, rect.Bottom));
}

QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

} // namespace

// The picture and the zones over it, at the picture's size.
class TMapCanvas : public QWidget {
public:
    explicit TMapCanvas(TMapEditDlg& editor)
        : QWidget(nullptr)
        , m_editor(editor)
    {
        setObjectName(QStringLiteral("MapCanvas"));
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { m_editor.Paint(*this); }
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint p = event->position().toPoint();
        m_editor.Press(p.x(), p.y(), event->button());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint p = event->position().toPoint();
        TShiftState shift = 0;
        if (event->buttons() & Qt::LeftButton)
            shift |= ssLeft;
        if (event->buttons() & Qt::RightButton)
            shift |= ssRight;
        if (event->buttons() & Qt::MiddleButton)
            shift |= ssMiddle;
        if (event->modifiers() & Qt::ShiftModifier)
            shift |= ssShift;
        if (event->modifiers() & Qt::ControlModifier)
            shift |= ssCtrl;
        if (event->modifiers() & Qt::AltModifier)
            shift |= ssAlt;
        m_editor.Move(p.x(), p.y(), shift);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const QPoint p = event->position().toPoint();
        m_editor.Release(p.x(), p.y());
    }

private:
    TMapEditDlg& m_editor;
};

TMapEditDlg::TMapEditDlg(TWEB& web, QWidget* parent)
    : QDialog(parent)
    , m_web(web)
    , m_canvas(new TMapCanvas(*this))
    , m_area(new QScrollArea(this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("MapEdit"));
    setWindowTitle(QStringLiteral("MapEdit"));
    m_area->setWidget(m_canvas);
    m_area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_area->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_area, 1);
    m_status->setObjectName(QStringLiteral("StatusLine"));
    m_status->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_status);
    BuildMenus();

    m_prompts.SaveChanges = [this](const std::string& imageFile) {
        return ShowMessageBox(this, "MapEdit", "Save new mapping for this image\r\n" + imageFile,
                              mbYes | mbNo | mbCancel);
    };
    m_prompts.ChooseMap = [this](const TMAPLIST& maps) { return ChooseImageMap(this, maps); };
    m_prompts.ChooseColor = [this](const QColor& current) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, this);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };
    m_prompts.Error = [this](const std::string& text) {
        ShowMessageBox(this, "MapEdit", text, mbOk, TBoxIcon::Error);
    };
}

TMapEditDlg::~TMapEditDlg() = default;

void TMapEditDlg::BuildMenus()
{
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    auto add = [this](QMenu* menu, const char* name, const QString& text, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    add(file, "OpenItem", QStringLiteral("&Open..."), [this] { OpenCommand(); });
    add(file, "SaveItem", QStringLiteral("&Save"), [this] { Save(); });
    add(file, "ExitItem", QStringLiteral("&Exit"), [this] { close(); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    auto* group = new QActionGroup(this);
    static const char* const names[] = {"RectangleItem", "HorizontalBandItem", "VerticalBandItem", "CircleItem",
                                        "PolygonItem"};
    static const char* const texts[] = {"&Rectangle", "&Horizontal band", "&Vertical band", "&Circle", "&Polygon"};
    for (int i = 0; i < 5; ++i) {
        const auto tool = static_cast<TMapTool>(i);
        QAction* action = add(tools, names[i], QString::fromLatin1(texts[i]), [this, tool] { SetTool(tool); });
        action->setCheckable(true);
        group->addAction(action);
        m_toolActions[i] = action;
    }
    tools->addSeparator();
    add(tools, "ClearAllItem", QStringLiteral("Clear &all"), [this] { ClearAll(); });
    add(tools, "ColorItem", QStringLiteral("C&olor..."), [this] { ChooseColor(); });
    SetTool(TMapTool::Rectangle);
}

QWidget* TMapEditDlg::Canvas() const { return m_canvas; }

int TMapEditDlg::Run()
{
    if (!OpenFirst())
        return QDialog::Rejected;
    return exec();
}

bool TMapEditDlg::OpenFirst()
{
    const TMAPLIST& maps = m_web.MapList;
    if (maps.Count() == 1)
        return OpenEntry(0);
    if (maps.Count() > 1) {
        if (std::optional<std::size_t> chosen = m_prompts.ChooseMap(maps))
            return OpenEntry(*chosen);
    }
    return false;
}

bool TMapEditDlg::OpenEntry(std::size_t index)
{
    if (index >= m_web.MapList.Count())
        return false;
    const TMapImg& entry = m_web.MapList.Item(index);
    if (!IsSafeLocalName(entry.ImageFile) || !IsSafeLocalName(entry.MapFile)) {
        Fail("Cannot open the image " + entry.ImageFile);
        return false;
    }
    // The picture is decoded from its content: a stored name need not tell its kind.
    QImageReader reader(PathText(m_web.Path + entry.ImageFile));
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        Fail("Cannot read the image " + entry.ImageFile);
        return false;
    }

    m_zones.clear();
    m_current = nullptr;
    m_drawing = false;
    m_entry = entry;
    m_picture = QPixmap::fromImage(image);
    m_canvas->setFixedSize(m_picture.size());
    ReadMapFile(m_web.Path + entry.MapFile);
    m_modified = false;
    m_lastRepaint = {};
    ShowStatus();
    setWindowTitle(QStringLiteral("Edit Mapping of ") + ShownText(entry.ImageFile));
    FitToPicture();
    m_canvas->update();
    return true;
}

void TMapEditDlg::ReadMapFile(const std::string& fileName)
{
    if (!FileExists(fileName))
        return;
    try {
        TMemoryStreamEx source;
        source.LoadFromFile(fileName);
        THtmlParser parser(source);
        for (int i = 0; i < parser.Count(); ++i) {
            const TTag& item = parser.Item(i);
            if (!item.IsOpen() || item.Kind != TagArea)
                continue;
            TTagParam shape;
            TTagParam coords;
            parser.GetParam("SHAPE", i, shape);
            parser.GetParam("COORDS", i, coords);
            std::unique_ptr<TZone> zone;
            switch (WordIndex(shape.Value, kShapeWords)) {
            case 1:
            case 2: zone = std::make_unique<TZoneRect>(TPixelPoint{}, PictureRect()); break;
            case 3: zone = std::make_unique<TZoneCircle>(TPixelPoint{}, PictureRect()); break;
            case 4:
            case 5: zone = std::make_unique<TZonePolygon>(TPixelPoint{}, PictureRect()); break;
            default: continue;
            }
            zone->SetCoords(coords.Value);
            if (zone->IsValid())
                m_zones.push_back(std::move(zone));
        }
    } catch (const EVelbrinError& e) {
        Fail("Cannot read " + fileName + "\r\n" + e.what());
    }
}

void TMapEditDlg::FitToPicture()
{
    // The window takes the picture's size, within the screen; a larger
    // picture scrolls.
    const int frame = 2 * m_area->frameWidth();
    QSize wanted = m_picture.size() + QSize(frame, frame);
    if (const QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        wanted = wanted.boundedTo(
            room - QSize(0, layout()->menuBar()->sizeHint().height() + m_status->sizeHint().height()));
    }
    // A small picture still leaves room for the caption and the menus.
    m_area->setMinimumSize(wanted.expandedTo(QSize(260, 120)));
    layout()->activate();
    resize(minimumSizeHint());
    m_area->setMinimumSize(QSize(0, 0));
}

TPixelRect TMapEditDlg::PictureRect() const { return {0, 0, m_picture.width(), m_picture.height()}; }

TPixelPoint TMapEditDlg::Clamp(int x, int y) const
{
    return {std::clamp(x, 0, m_picture.width()), std::clamp(y, 0, m_picture.height())};
}

void TMapEditDlg::OpenCommand()
{
    if (!CanLeave())
        return;
    if (std::optional<std::size_t> chosen = m_prompts.ChooseMap(m_web.MapList))
        OpenEntry(*chosen);
}

bool TMapEditDlg::Save()
{
    if (!m_entry)
        return false;
    std::string lines;
    for (const auto& zone : m_zones) {
        const TPixelPoint centre = zone->GetCenter();
        lines += FormatAreaLine(*m_entry, zone->GetShape(), zone->GetCoords(), centre.X, centre.Y);
    }
    try {
        WriteWholeFile(m_web.Path + m_entry->MapFile, lines);
    } catch (const EVelbrinError& e) {
        Fail("Cannot write " + m_web.Path + m_entry->MapFile + "\r\n" + e.what());
        return false;
    }
    // A picture outside any link has no map program to ask.
    if (!m_entry->MapLink.empty()) {
        TWebFile* page = m_web.Tree.FindFile(m_entry->Page);
        for (const auto& zone : m_zones) {
            const TPixelPoint centre = zone->GetCenter();
            TLinkItem item;
            item.LinkType = LinkTypePage;
            item.Url = ShortString(MapQueryUrl(m_entry->MapLink, centre.X, centre.Y));
            m_web.NewLink(item, page);
        }
    }
    m_modified = false;
    return true;
}

bool TMapEditDlg::CanLeave()
{
    if (!m_modified || !m_entry)
        return true;
    switch (m_prompts.SaveChanges(m_entry->ImageFile)) {
    case TModalResult::Yes: return Save();
    case TModalResult::No: return true;
    default: return false;
    }
}

void TMapEditDlg::reject()
{
    // Escape, the window's close button and "Exit" all come here.
    if (CanLeave())
        QDialog::reject();
}

void TMapEditDlg::ClearAll()
{
    if (!m_zones.empty())
        m_modified = true;
    m_zones.clear();
    m_current = nullptr;
    m_drawing = false;
    m_canvas->update();
    ShowStatus();
}

bool TMapEditDlg::AddZone(std::unique_ptr<TZone> zone)
{
    if (!m_entry || !zone || !zone->IsValid())
        return false;
    m_zones.push_back(std::move(zone));
    m_modified = true;
    m_canvas->update();
    ShowStatus();
    return true;
}

void TMapEditDlg::ChooseColor()
{
    if (std::optional<QColor> colour = m_prompts.ChooseColor(m_pen)) {
        m_pen = *colour;
        m_canvas->update();
    }
}

void TMapEditDlg::SetTool(TMapTool tool)
{
    m_tool = tool;
    m_toolActions[static_cast<int>(tool)]->setChecked(true);
    ShowStatus();
}

void TMapEditDlg::ShowStatus(std::optional<TPixelPoint> pointer)
{
    static const char* const hints[] = {
        "Rectangle: drag from corner to corner",
        "Horizontal band: drag from top to bottom",
        "Vertical band: drag from left to right",
        "Circle: drag from the centre",
        "Polygon: drag each side, press again on its end for the next one",
    };
    QString text = QString::fromLatin1(hints[static_cast<int>(m_tool)]);
    if (pointer)
        text += QStringLiteral("    %1, %2").arg(pointer->X).arg(pointer->Y);
    text += QStringLiteral("    %1 zone(s); right click deletes one").arg(m_zones.size());
    m_status->setText(text);
}

void TMapEditDlg::Press(int x, int y, Qt::MouseButton button)
{
    if (!m_entry)
        return;
    const TPixelPoint p = Clamp(x, y);
    if (m_drawing) {
        Track([p](TZone& zone) { zone.MouseDown(p.X, p.Y); });
    } else if (button == Qt::LeftButton) {
        TPixelPoint anchor = p;
        if (m_tool == TMapTool::HorizontalBand)
            anchor.X = 0;
        else if (m_tool == TMapTool::VerticalBand)
            anchor.Y = 0;
        m_zones.push_back(MakeZone(m_tool, anchor, PictureRect()));
        m_current = m_zones.back().get();
        m_drawing = true;
        m_modified = true;
        Track([p](TZone& zone) { zone.MouseDown(p.X, p.Y); });
    } else if (button == Qt::RightButton) {
        for (auto it = m_zones.rbegin(); it != m_zones.rend(); ++it) {
            if ((*it)->PtInZone(p.X, p.Y)) {
                m_zones.erase(std::next(it).base());
                m_modified = true;
                m_canvas->update();
                ShowStatus();
                break;
            }
        }
    }
}

void TMapEditDlg::Move(int x, int y, TShiftState shift)
{
    const TPixelPoint p = Clamp(x, y);
    ShowStatus(p);
    if (!m_drawing)
        return;
    Track([p, shift](TZone& zone) { zone.MouseMove(p.X, p.Y, shift); });
}

void TMapEditDlg::Release(int x, int y)
{
    if (!m_drawing)
        return;
    const TPixelPoint p = Clamp(x, y);
    Track([p](TZone& zone) { zone.MouseUp(p.X, p.Y); });
}

void TMapEditDlg::Track(const std::function<void(TZone&)>& event)
{
    if (!m_current)
        return;
    const TPixelRect before = m_current->GetRoundRect();
    event(*m_current);
    // The outline's last pixels lie on the right and bottom edges.
    m_lastRepaint = before.United(m_current->GetRoundRect()).Grown(1);
    m_canvas->update(ToQRect(m_lastRepaint));
    if (m_current->InProgress())
        return;
    m_drawing = false;
    if (!m_current->IsValid()) {
        const TZone* dropped = m_current;
        std::erase_if(m_zones, [dropped](const std::unique_ptr<TZone>& zone) { return zone.get() == dropped; });
    }
    m_current = nullptr;
    ShowStatus();
}

void TMapEditDlg::Paint(QWidget& canvas)
{
    QPainter painter(&canvas);
    painter.drawPixmap(0, 0, m_picture);
    QPen pen(m_pen);
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    TPainterCanvas outlines(painter);
    for (const auto& zone : m_zones)
        zone->Draw(outlines);
}

void TMapEditDlg::Fail(const std::string& text)
{
    if (m_prompts.Error)
        m_prompts.Error(text);
}

} // namespace velbrin
