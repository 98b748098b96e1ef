#include "ui/MimeGrid.h"

#include "capture/ErrorBox.h"
#include "core/CaseFold.h"
#include "store/MimeList.h"
#include "ui/ShownText.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velbrin {

namespace {

enum Column { kMimeColumn = 0, kTypeColumn = 1, kExtensionColumn = 2, kStateColumn = 3 };

constexpr int kColumnWidths[] = {140, 80, 63, 180};
const QColor kEnabledColour(128, 0, 0);

// The texts of the grid are bytes; the cell shows them and keeps them.
QTableWidgetItem* BytesItem(const std::string& bytes)
{
    auto* item = new QTableWidgetItem(ShownText(bytes));
    item->setData(Qt::UserRole, QByteArray::fromStdString(bytes));
    return item;
}

std::string Bytes(const QTableWidgetItem* item)
{
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

struct TPresetButton {
    TMimePreset Preset;
    const char* Caption;
    const char* Name;
};

constexpr TPresetButton kPresetButtons[] = {
    {TMimePreset::AllTypes, "All types", "AllTypesButton"},
    {TMimePreset::HtmlOnly, "HTML only ", "HtmlOnlyButton"},
    {TMimePreset::PicturesOnly, "Pictures only", "PicturesOnlyButton"},
    {TMimePreset::SoundsOnly, "Sounds only", "SoundsOnlyButton"},
    {TMimePreset::HtmlAndPictures, "HTML + pictures", "HtmlPicturesButton"},
};

} // namespace

TMimeGrid::TMimeGrid(QWidget* parent)
    : QWidget(parent), m_grid(new QTableWidget(0, 4, this)), m_toggle(new QPushButton(this))
{
    m_grid->setObjectName(QStringLiteral("MimeStringGrid"));
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("Mime"), QStringLiteral("Type"), QStringLiteral("Extension"), QStringLiteral("Capture state")});
    for (int column = 0; column < 4; ++column)
        m_grid->setColumnWidth(column, kColumnWidths[column]);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setWordWrap(false);
    m_grid->installEventFilter(this);

    m_toggle->setObjectName(QStringLiteral("ToggleButton"));
    m_toggle->setVisible(false);
    auto* edit = new QPushButton(tr("Edit..."), this);
    edit->setObjectName(QStringLiteral("EditButton"));
    auto* remove = new QPushButton(tr("Delete"), this);
    remove->setObjectName(QStringLiteral("DeleteButton"));

    // The row commands on the left, the presets beside them.
    auto* commands = new QHBoxLayout;
    commands->setSpacing(3);
    commands->addWidget(m_toggle);
    commands->addWidget(edit);
    commands->addWidget(remove);
    commands->addStretch(1);
    auto* presets = new QHBoxLayout;
    presets->setSpacing(3);
    for (std::size_t i = 0; i < std::size(kPresetButtons); ++i) {
        const TPresetButton& preset = kPresetButtons[i];
        auto* button = new QPushButton(QString::fromLatin1(preset.Caption), this);
        button->setObjectName(QString::fromLatin1(preset.Name));
        connect(button, &QPushButton::clicked, this, [this, p = preset.Preset] { ApplyPreset(p); });
        presets->addWidget(button);
        m_presets[i] = button;
    }
    presets->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(m_grid, 1);
    layout->addLayout(commands);
    layout->addLayout(presets);

    connect(m_toggle, &QPushButton::clicked, this, &TMimeGrid::Toggle);
    connect(edit, &QPushButton::clicked, this, &TMimeGrid::Edit);
    connect(remove, &QPushButton::clicked, this, &TMimeGrid::Delete);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { Toggle(); });
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, &TMimeGrid::SelectionChanged);
}

QPushButton* TMimeGrid::PresetButton(TMimePreset preset) const
{
    for (std::size_t i = 0; i < std::size(kPresetButtons); ++i) {
        if (kPresetButtons[i].Preset == preset)
            return m_presets[i];
    }
    return nullptr;
}

void TMimeGrid::Fill(const TMIMELIST& table)
{
    m_grid->setRowCount(0);
    for (int i = 0; const TMimeItem* item = table.GetMimebyIndex(i); ++i) {
        m_grid->insertRow(i);
        SetRow(i, {item->MimeType, std::string(MimeClassName(item->MimeClass)), item->Extension, item->Capture});
    }
    SelectRow(0);
    SelectionChanged();
}

void TMimeGrid::WriteTo(TMIMELIST& table) const
{
    table.Clear();
    for (int row = 0; row < RowCount(); ++row) {
        TMimeRowValues values = Row(row);
        table.AddMime(values.MimeType, values.Extension, values.TypeName, values.Capture);
    }
}

int TMimeGrid::RowCount() const { return m_grid->rowCount(); }

TMimeRowValues TMimeGrid::Row(int row) const
{
    TMimeRowValues values;
    values.MimeType = Bytes(m_grid->item(row, kMimeColumn));
    if (const QTableWidgetItem* type = m_grid->item(row, kTypeColumn))
        values.TypeName = type->text().toStdString();
    values.Extension = Bytes(m_grid->item(row, kExtensionColumn));
    if (const QTableWidgetItem* state = m_grid->item(row, kStateColumn))
        values.Capture = state->text() == QLatin1String(kEnabled);
    return values;
}

void TMimeGrid::SetRow(int row, const TMimeRowValues& values)
{
    m_grid->setItem(row, kMimeColumn, BytesItem(values.MimeType));
    m_grid->setItem(row, kTypeColumn, new QTableWidgetItem(QString::fromStdString(values.TypeName)));
    m_grid->setItem(row, kExtensionColumn, BytesItem(values.Extension));
    auto* state = new QTableWidgetItem(QLatin1String(values.Capture ? kEnabled : kDisabled));
    state->setForeground(values.Capture ? QBrush(kEnabledColour)
                                        : palette().brush(QPalette::Disabled, QPalette::WindowText));
    m_grid->setItem(row, kStateColumn, state);
}

int TMimeGrid::SelectedRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = m_grid->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.constFirst().topRow();
}

void TMimeGrid::SelectRow(int row)
{
    if (row < 0 || row >= RowCount()) {
        m_grid->clearSelection();
        return;
    }
    m_grid->setCurrentCell(row, kMimeColumn);
    m_grid->selectRow(row);
}

void TMimeGrid::SelectionChanged()
{
    const int row = SelectedRow();
    m_toggle->setVisible(row >= 0);
    if (row >= 0)
        m_toggle->setText(QLatin1String(Row(row).Capture ? kDisabled : kEnabled));
}

bool TMimeGrid::AskValues(TMimeRowValues& values)
{
    TNewMimeDlg dialog(this);
    dialog.SetValues(values);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    values = dialog.Values();
    return true;
}

void TMimeGrid::Store(const TMimeRowValues& values)
{
    int row = 0;
    while (row < RowCount() && !SameText(Row(row).MimeType, values.MimeType))
        ++row;
    TMimeRowValues stored = values;
    if (row == RowCount()) {
        m_grid->insertRow(row);
        stored.MimeType = LowerCase(values.MimeType);
    } else {
        stored.MimeType = Row(row).MimeType;
    }
    SetRow(row, stored);
    SelectRow(row);
    SelectionChanged();
}

void TMimeGrid::Toggle()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    TMimeRowValues values = Row(row);
    values.Capture = !values.Capture;
    if (values.Capture && values.Extension.empty()) {
        WarningBox(TWarning::NoCaptureType);
        if (!AskValues(values) || values.Extension.empty())
            return;
        Store(values);
        return;
    }
    SetRow(row, values);
    SelectionChanged();
}

void TMimeGrid::Edit()
{
    TMimeRowValues values;
    values.TypeName = std::string(MimeClassName(MimeClassOther));
    values.Capture = true;
    if (const int row = SelectedRow(); row >= 0)
        values = Row(row);
    if (AskValues(values))
        Store(values);
}

void TMimeGrid::Delete()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_grid->removeRow(row);
    // The row above takes the selection; the first row stays selected.
    SelectRow(row > 0 ? row - 1 : 0);
    SelectionChanged();
}

void TMimeGrid::DisableAll()
{
    for (int row = 0; row < RowCount(); ++row) {
        TMimeRowValues values = Row(row);
        values.Capture = false;
        SetRow(row, values);
    }
}

bool TMimeGrid::EnableClass(std::string_view typeName)
{
    bool undefined = false;
    for (int row = 0; row < RowCount(); ++row) {
        TMimeRowValues values = Row(row);
        if (!typeName.empty() && !SameText(values.TypeName, typeName))
            continue;
        undefined = undefined || values.Extension.empty();
        values.Capture = !values.Extension.empty();
        SetRow(row, values);
    }
    return undefined;
}

void TMimeGrid::ApplyPreset(TMimePreset preset)
{
    const int selected = SelectedRow();
    std::vector<std::string_view> classes;
    switch (preset) {
    case TMimePreset::AllTypes: classes = {std::string_view()}; break;
    case TMimePreset::HtmlOnly: classes = {kMimeClassNames[MimeClassHtml]}; break;
    case TMimePreset::PicturesOnly: classes = {kMimeClassNames[MimeClassImage]}; break;
    case TMimePreset::SoundsOnly: classes = {kMimeClassNames[MimeClassSound]}; break;
    case TMimePreset::HtmlAndPictures:
        classes = {kMimeClassNames[MimeClassHtml], kMimeClassNames[MimeClassImage]};
        break;
    }
    if (preset != TMimePreset::AllTypes)
        DisableAll();
    for (std::string_view typeName : classes) {
        if (EnableClass(typeName))
            WarningBox(TWarning::UndefinedMimeType);
    }
    SelectRow(selected);
    SelectionChanged();
}

bool TMimeGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Toggle();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velbrin
