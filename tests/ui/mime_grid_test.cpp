#include "ModalDriver.h"

#include "capture/ErrorBox.h"
#include "capture/WebTestSupport.h"
#include "core/MemoryStream.h"
#include "ui/FileTab.h"
#include "ui/MimeGrid.h"
#include "ui/NewMimeDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace velbrin::test {
namespace {

// Every box the grid and its dialog open is recorded and answered Ok.
class RecordedBoxes {
public:
    RecordedBoxes() { m_previous = SetErrorBoxView(std::make_unique<TView>(Texts)); }
    ~RecordedBoxes() { SetErrorBoxView(std::move(m_previous)); }
    std::vector<std::string> Texts;

private:
    struct TView : TErrorBoxView {
        explicit TView(std::vector<std::string>& texts) : Texts(texts) {}
        TModalResult ShowBox(const TBox& box) override
        {
            Texts.push_back(box.Caption + "|" + box.Message);
            return TModalResult::Ok;
        }
        std::vector<std::string>& Texts;
    };
    std::unique_ptr<TErrorBoxView> m_previous;
};

const std::string kUndefined = "Warning|Undefined MIME types will not be captured!";
const std::string kNoCaptureType = "Warning|You have to specifiy a capture type";

// A table with an HTML and a picture type that have no extension.
TMIMELIST SampleTable()
{
    TMIMELIST table;
    table.AddMime("text/html", "htm", "Html", true);
    table.AddMime("text/x-server-parsed-html", "", "Html", false);
    table.AddMime("image/gif", "gif", "Image", false);
    table.AddMime("image/x-raw", "", "Image", false);
    table.AddMime("audio/x-wav", "wav", "Sound", true);
    table.AddMime("text/plain", "txt", "Text", true);
    return table;
}

// "E" for an "Enabled" row, "D" for a "Disabled" one, and what the cell reads.
std::string States(const TMimeGrid& grid)
{
    std::string states;
    for (int row = 0; row < grid.RowCount(); ++row) {
        const QString cell = grid.Grid()->item(row, 3)->text();
        EXPECT_TRUE(cell == "Enabled" || cell == "Disabled") << cell.toStdString();
        states += cell == "Enabled" ? 'E' : 'D';
    }
    return states;
}

int RowOf(const TMimeGrid& grid, const std::string& mimeType)
{
    for (int row = 0; row < grid.RowCount(); ++row) {
        if (grid.Row(row).MimeType == mimeType)
            return row;
    }
    return -1;
}

std::string StreamBytes(const TMIMELIST& table)
{
    TMemoryStreamEx stream;
    table.SaveToStream(stream);
    return stream.ToString();
}

TEST(MimeGrid, PresetsLeaveRowsWithoutExtensionOffAndWarnOncePerPass)
{
    RecordedBoxes boxes;
    TMimeGrid grid;
    grid.Fill(SampleTable());
    ASSERT_EQ(States(grid), "EDDDEE");
    EXPECT_EQ(grid.Grid()->horizontalHeaderItem(3)->text(), "Capture state");
    EXPECT_EQ(grid.Grid()->item(1, 1)->text(), "Html");

    grid.PresetButton(TMimePreset::HtmlOnly)->click();
    EXPECT_EQ(States(grid), "EDDDDD");
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{kUndefined});

    boxes.Texts.clear();
    grid.PresetButton(TMimePreset::SoundsOnly)->click();
    EXPECT_EQ(States(grid), "DDDDED");
    EXPECT_TRUE(boxes.Texts.empty());

    // One warning for the HTML pass, one for the pictures pass.
    grid.PresetButton(TMimePreset::HtmlAndPictures)->click();
    EXPECT_EQ(States(grid), "EDEDDD");
    EXPECT_EQ(boxes.Texts, (std::vector<std::string>{kUndefined, kUndefined}));

    boxes.Texts.clear();
    grid.PresetButton(TMimePreset::PicturesOnly)->click();
    EXPECT_EQ(States(grid), "DDEDDD");
    grid.PresetButton(TMimePreset::AllTypes)->click();
    EXPECT_EQ(States(grid), "EDEDEE");
    EXPECT_EQ(boxes.Texts, (std::vector<std::string>{kUndefined, kUndefined}));
}

TEST(MimeGrid, ToggleAsksForTheExtensionOfARowThatHasNone)
{
    RecordedBoxes boxes;
    TMimeGrid grid;
    grid.Fill(SampleTable());
    EXPECT_EQ(grid.ToggleButton()->text(), "Disabled"); // the first row is selected, and on

    grid.SelectRow(RowOf(grid, "image/gif"));
    EXPECT_EQ(grid.ToggleButton()->text(), "Enabled");
    grid.ToggleButton()->click();
    EXPECT_EQ(States(grid), "EDEDEE");
    EXPECT_EQ(grid.ToggleButton()->text(), "Disabled");

    // Without an extension: the warning, then the dialog; cancelled, nothing changes.
    const int raw = RowOf(grid, "image/x-raw");
    grid.SelectRow(raw);
    WhenModal([](QWidget* dialog) { Click(dialog, "&Cancel"); });
    grid.ToggleButton()->click();
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{kNoCaptureType});
    EXPECT_EQ(States(grid), "EDEDEE");

    // Given an extension (cut to three characters), the row is on.
    WhenModal([](QWidget* dialog) {
        Type(dialog->findChild<QLineEdit*>("ExtensionEdit"), "rawx");
        Click(dialog, "&OK");
    });
    grid.ToggleButton()->click();
    EXPECT_EQ(States(grid), "EDEEEE");
    EXPECT_EQ(grid.Row(raw).Extension, "raw");
    EXPECT_EQ(grid.SelectedRow(), raw);
}

TEST(MimeGrid, EditOnAnExistingTypeChangesItsRowAndANewTypeIsAppendedInLowerCase)
{
    RecordedBoxes boxes;
    TMimeGrid grid;
    grid.Fill(SampleTable());
    grid.SelectRow(RowOf(grid, "text/plain"));

    // The dialog opens on the selected row; the type typed in another case
    // is the existing image/gif.
    std::string shown;
    WhenModal([&shown](QWidget* dialog) {
        shown = dialog->windowTitle().toStdString() + "|"
                + dialog->findChild<QLineEdit*>("TypeNameEdit")->text().toStdString() + "|"
                + dialog->findChild<QLineEdit*>("ExtensionEdit")->text().toStdString() + "|"
                + dialog->findChild<QComboBox*>("ObjectTypeCombo")->currentText().toStdString() + "|"
                + (dialog->findChild<QRadioButton*>("CaptureRadio")->isChecked() ? "Capture" : "No capture");
        Type(dialog->findChild<QLineEdit*>("TypeNameEdit"), "IMAGE/GIF");
        Type(dialog->findChild<QLineEdit*>("ExtensionEdit"), "gfx");
        dialog->findChild<QComboBox*>("ObjectTypeCombo")->setCurrentText("Other");
        dialog->findChild<QRadioButton*>("NoCaptureRadio")->setChecked(true);
        Click(dialog, "&OK");
    });
    grid.Edit();
    EXPECT_EQ(shown, "Create/Change  MIME-Type|text/plain|txt|Text|Capture");
    ASSERT_EQ(grid.RowCount(), 6);
    const int gif = RowOf(grid, "image/gif");
    EXPECT_EQ(grid.SelectedRow(), gif);
    TMimeRowValues row = grid.Row(gif);
    EXPECT_EQ(row.Extension, "gfx");
    EXPECT_EQ(row.TypeName, "Other");
    EXPECT_FALSE(row.Capture);
    EXPECT_EQ(grid.Row(RowOf(grid, "text/plain")).Extension, "txt");

    WhenModal([](QWidget* dialog) {
        Type(dialog->findChild<QLineEdit*>("TypeNameEdit"), " Application/X-Foo ");
        Type(dialog->findChild<QLineEdit*>("ExtensionEdit"), "foo");
        Click(dialog, "&OK");
    });
    grid.Edit();
    ASSERT_EQ(grid.RowCount(), 7);
    EXPECT_EQ(grid.Row(6).MimeType, "application/x-foo");
    EXPECT_EQ(grid.SelectedRow(), 6);
    EXPECT_TRUE(boxes.Texts.empty());

    // Delete takes the row out and selects the one above.
    grid.Delete();
    EXPECT_EQ(grid.RowCount(), 6);
    EXPECT_EQ(grid.SelectedRow(), 5);
}

TEST(MimeGrid, DialogRefusesCaptureWithoutExtension)
{
    RecordedBoxes boxes;
    TNewMimeDlg dialog;
    dialog.SetValues({"text/x-server-parsed-html", "Html", "", true});
    dialog.open();
    auto* extension = dialog.findChild<QLineEdit*>("ExtensionEdit");
    Click(&dialog, "&OK");
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{kNoCaptureType});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), extension);

    // "No capture" needs no extension.
    dialog.findChild<QRadioButton*>("NoCaptureRadio")->setChecked(true);
    Click(&dialog, "&OK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(dialog.Values().TypeName, "Html");

    // A type name is required: OK is off while it is empty.
    TNewMimeDlg empty;
    EXPECT_FALSE(empty.findChild<QPushButton*>("OkButton")->isEnabled());
}

class MimeGridWeb : public WebFixture {};

TEST_F(MimeGridWeb, GridToWebAndBackKeepsTheTableByteForByte)
{
    auto source = InitWeb("http://www.example.org/");
    source->MimeList.AddMime("application/x-caf\xE9", "caf", "Other", true); // Latin-1, not UTF-8
    source->MimeList.AddMime("font/woff2", "wof", "Other", false);
    TFileTab tab;
    tab.WebToControls(*source);
    TMimeGrid& grid = *tab.MimeGrid();
    ASSERT_EQ(grid.RowCount(), static_cast<int>(source->MimeList.Count()));
    EXPECT_EQ(grid.SelectedRow(), 0);
    EXPECT_EQ(grid.Row(0).MimeType, "text/html");
    EXPECT_NE(RowOf(grid, "text/css"), -1);

    auto target = NewWeb();
    target->MimeList.AddMime("x/stale", "stl", "Other", true);
    tab.ControlsToWeb(*target);
    EXPECT_EQ(StreamBytes(target->MimeList), StreamBytes(source->MimeList));
    EXPECT_FALSE(target->MimeList.MimeExist("x/stale"));

    // Edited without touching its type, the Latin-1 row stays one row.
    grid.SelectRow(RowOf(grid, "application/x-caf\xE9"));
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QRadioButton*>("NoCaptureRadio")->setChecked(true);
        Click(dialog, "&OK");
    });
    grid.Edit();
    ASSERT_EQ(grid.RowCount(), static_cast<int>(source->MimeList.Count()));
    EXPECT_FALSE(grid.Row(RowOf(grid, "application/x-caf\xE9")).Capture);

    // A row deleted in the grid leaves the Web's table.
    grid.SelectRow(RowOf(grid, "font/woff2"));
    grid.Delete();
    tab.ControlsToWeb(*target);
    EXPECT_FALSE(target->MimeList.MimeExist("font/woff2"));
    EXPECT_EQ(target->MimeList.GetMimeByString("application/x-caf\xE9")->Extension, "caf");
    EXPECT_EQ(target->MimeList.Count(), source->MimeList.Count() - 1);
}

} // namespace
} // namespace velbrin::test
