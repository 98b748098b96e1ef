#pragma once

#include "ui/NewMimeDlg.h"

#include <QWidget>

#include <string>

class QPushButton;
class QTableWidget;

namespace velbrin {

class TMIMELIST;

// The presets of the File tab: which classes a single click enables.
enum class TMimePreset { AllTypes, HtmlOnly, PicturesOnly, SoundsOnly, HtmlAndPictures };

// The Web's MIME table as a grid ("MimeStringGrid": "Mime", "Type",
// "Extension", "Capture state") with the commands that edit it: the toggle
// button ("ToggleButton", captioned with the state the selected row would
// take), "Edit...", "Delete" and the five presets. The grid keeps the texts
// as bytes; it is read into a table again by WriteTo.
//
// A row without extension is never "Enabled": turning it on asks for the
// extension first, the presets leave it off and warn once
// ("Undefined MIME types will not be captured!").
class TMimeGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kEnabled = "Enabled";
    static constexpr const char* kDisabled = "Disabled";

    explicit TMimeGrid(QWidget* parent = nullptr);

    // One row per entry of the table; the first row is selected.
    void Fill(const TMIMELIST& table);
    // Empties table, then adds every row in order.
    void WriteTo(TMIMELIST& table) const;

    int RowCount() const;
    TMimeRowValues Row(int row) const;
    // The selected row, -1 when none.
    int SelectedRow() const;
    void SelectRow(int row);

    // The commands of the buttons.
    void Toggle();
    void Edit();
    void Delete();
    void ApplyPreset(TMimePreset preset);

    QTableWidget* Grid() const { return m_grid; }
    QPushButton* ToggleButton() const { return m_toggle; }
    QPushButton* PresetButton(TMimePreset preset) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetRow(int row, const TMimeRowValues& values);
    // Enables the rows of a class that have an extension; true when one
    // could not be enabled for want of an extension.
    bool EnableClass(std::string_view typeName);
    void DisableAll();
    // Runs the MIME type dialog on values; the values on OK.
    bool AskValues(TMimeRowValues& values);
    // Writes values into the row of their type (compared ignoring case), or
    // into a new row with the type in lower case, and selects it.
    void Store(const TMimeRowValues& values);
    void SelectionChanged();

    QTableWidget* m_grid;
    QPushButton* m_toggle;
    QPushButton* m_presets[5] = {};
};

} // namespace velbrin
