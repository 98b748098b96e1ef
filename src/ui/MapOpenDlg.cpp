#include "ui/MapOpenDlg.h"

#include "maps/MapList.h"
#include "ui/ShownText.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace velbrin {

TMapOpenDlg::TMapOpenDlg(const TMAPLIST& maps, QWidget* parent)
    : QDialog(parent)
    , m_images(new QListWidget(this))
    , m_pages(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Open an Image MAP"));
    m_images->setObjectName(QStringLiteral("ImageList"));
    m_pages->setObjectName(QStringLiteral("PageList"));
    for (const TMapImg& entry : maps) {
        m_images->addItem(QStringLiteral(" ") + ShownText(entry.ImageFile));
        m_pages->addItem(QStringLiteral(" ") + ShownText(entry.Page));
    }
    // One scroll bar for both: the page column carries it.
    m_images->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Image"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("HTML Page "), this), 0, 1);
    layout->addWidget(m_images, 1, 0);
    layout->addWidget(m_pages, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 2);
    layout->setHorizontalSpacing(0);
    resize(560, 300);

    for (QListWidget* list : {m_images, m_pages}) {
        QListWidget* other = list == m_images ? m_pages : m_images;
        connect(list, &QListWidget::currentRowChanged, this, [this, list, other, buttons](int) {
            Follow(list, other);
            buttons->button(QDialogButtonBox::Ok)->setEnabled(list->currentRow() >= 0);
        });
        connect(list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, other->verticalScrollBar(),
                &QScrollBar::setValue);
    }
    if (!maps.Empty())
        m_images->setCurrentRow(0);
}

void TMapOpenDlg::Follow(QListWidget* from, QListWidget* to)
{
    if (to->currentRow() != from->currentRow())
        to->setCurrentRow(from->currentRow());
}

std::optional<std::size_t> TMapOpenDlg::Selected() const
{
    const int row = m_images->currentRow();
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

std::optional<std::size_t> ChooseImageMap(QWidget* parent, const TMAPLIST& maps)
{
    TMapOpenDlg dialog(maps, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Selected();
}

} // namespace velbrin
