#pragma once

#include "capture/ErrorBox.h"
#include "maps/MapList.h"
#include "maps/Zone.h"

#include <QColor>
#include <QDialog>
#include <QPixmap>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QScrollArea;

namespace velbrin {

class TWEB;
class TMapCanvas;

// The drawing tools, in the order of the Tools menu.
enum class TMapTool { Rectangle = 0, HorizontalBand = 1, VerticalBand = 2, Circle = 3, Polygon = 4 };

// The questions of the editor; each has a default that opens the real box.
struct TMapEditPrompts {
    // "Save new mapping for this image": Yes, No or Cancel.
    std::function<TModalResult(const std::string& imageFile)> SaveChanges;
    // "Open an Image MAP": the entry to open, none when cancelled.
    std::function<std::optional<std::size_t>(const TMAPLIST& maps)> ChooseMap;
    // The colour dialog: the new pen colour, none when cancelled.
    std::function<std::optional<QColor>(const QColor& current)> ChooseColor;
    // A picture that cannot be read, a map file that cannot be written.
    std::function<void(const std::string& text)> Error;
};

// "MapEdit": draws the zones of a client-side map over a captured picture
// that was a server-side map. Saving writes the picture's map file and
// enters, for every zone, the address the server-side map answers for the
// zone's centre as a link of the Web, so that the next capture fetches it.
class TMapEditDlg : public QDialog {
public:
    explicit TMapEditDlg(TWEB& web, QWidget* parent = nullptr);
    ~TMapEditDlg() override;

    TMapEditPrompts& Prompts() { return m_prompts; }

    // Opens the Web's only map entry, or the one the user chooses among
    // several, then shows the editor modally. Returns at once, Rejected,
    // when nothing was opened.
    int Run();
    // Opens the only entry or asks which one; false when none is open afterwards.
    bool OpenFirst();
    // Loads entry index of the map list: its picture and its map file. False,
    // with the editor as it was, when the picture cannot be read.
    bool OpenEntry(std::size_t index);
    // "&Open...": asks about unsaved changes, then which entry to open.
    void OpenCommand();
    // Writes the map file and enters the zones' addresses; false when the
    // file could not be written (the changes then stay unsaved).
    bool Save();
    // Asks about unsaved changes; false when the editor is to stay as it is.
    bool CanLeave();
    void ClearAll();
    void ChooseColor();
    // Adds a zone made elsewhere (bounds: the picture's rectangle), as if
    // drawn: the changes become unsaved. An invalid zone is not added.
    bool AddZone(std::unique_ptr<TZone> zone);
    // The picture's rectangle: the bounds of every zone.
    TPixelRect PictureRect() const;

    void SetTool(TMapTool tool);
    TMapTool Tool() const { return m_tool; }
    const QColor& PenColor() const { return m_pen; }
    const std::vector<std::unique_ptr<TZone>>& Zones() const { return m_zones; }
    bool Modified() const { return m_modified; }
    // The open entry; none before one is opened.
    const TMapImg* Entry() const { return m_entry ? &*m_entry : nullptr; }
    const QPixmap& Picture() const { return m_picture; }
    // The widget the picture is drawn in, in picture coordinates.
    QWidget* Canvas() const;
    // The part of the picture last repainted while a zone was drawn.
    const TPixelRect& LastRepaint() const { return m_lastRepaint; }
    QAction* ToolAction(TMapTool tool) const { return m_toolActions[static_cast<int>(tool)]; }
    QLabel* StatusLine() const { return m_status; }

    void reject() override;

private:
    friend class TMapCanvas;

    void BuildMenus();
    void ReadMapFile(const std::string& fileName);
    void FitToPicture();
    TPixelPoint Clamp(int x, int y) const;
    // Mouse events of the canvas.
    void Press(int x, int y, Qt::MouseButton button);
    void Move(int x, int y, TShiftState shift);
    void Release(int x, int y);
    // Passes an event to the zone being drawn, repaints what it changed and
    // ends the drawing once the zone is complete.
    void Track(const std::function<void(TZone&)>& event);
    void Paint(QWidget& canvas);
    void Fail(const std::string& text);
    // The status line: the tool, the pointer's position, the zone count.
    void ShowStatus(std::optional<TPixelPoint> pointer = std::nullopt);

    TWEB& m_web;
    TMapEditPrompts m_prompts;
    std::optional<TMapImg> m_entry;
    QPixmap m_picture;
    std::vector<std::unique_ptr<TZone>> m_zones;
    TMapTool m_tool = TMapTool::Rectangle;
    TZone* m_current = nullptr;
    bool m_drawing = false;
    bool m_modified = false;
    QColor m_pen = Qt::red;
    TPixelRect m_lastRepaint;

    TMapCanvas* m_canvas;
    QScrollArea* m_area;
    QLabel* m_status;
    QAction* m_toolActions[5] = {};
};

} // namespace velbrin
