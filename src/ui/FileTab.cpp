#include "ui/FileTab.h"

#include "capture/Web.h"
#include "ui/LimitField.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velbrin {

TFileTab::TFileTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);

    m_mimeArea = new QWidget(this);
    m_mimeArea->setObjectName(QStringLiteral("MimeArea"));
    layout->addWidget(m_mimeArea, 1);
    auto* mimeLayout = new QVBoxLayout(m_mimeArea);
    mimeLayout->setContentsMargins(0, 0, 0, 0);
    m_mimeGrid = new TMimeGrid(m_mimeArea);
    mimeLayout->addWidget(m_mimeGrid);

    auto* limits = new QGroupBox(QStringLiteral("Limits"), this);
    limits->setObjectName(QStringLiteral("LimitsGroup"));
    auto* grid = new QGridLayout(limits);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(2);
    m_maxFileCount = TLimitField::Make(limits, QStringLiteral("Maximum captured files count:"), QStringLiteral("MaxFileCount"));
    m_minFileSize = TLimitField::Make(limits, QStringLiteral("Lowest file size:"), QStringLiteral("MinFileSize"));
    m_maxFileSize = TLimitField::Make(limits, QStringLiteral("Highest file size:"), QStringLiteral("MaxFileSize"));
    m_maxDiskSize = TLimitField::Make(limits, QStringLiteral("Maximum hard drive space:"), QStringLiteral("MaxDiskSize"));
    const auto place = [&](const TLimitField& limit, int row, bool kilobytes) {
        grid->addWidget(limit.Check, row, 0);
        grid->addWidget(limit.Edit, row, 1);
        if (kilobytes)
            grid->addWidget(new QLabel(QStringLiteral("Ko"), limits), row, 2);
    };
    place(m_maxFileCount, 0, false);
    place(m_minFileSize, 1, true);
    place(m_maxFileSize, 2, true);
    place(m_maxDiskSize, 3, true);
    // The group keeps its own width, at the left.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(limits);
    bottom->addStretch(1);
    layout->addLayout(bottom);
}

void TFileTab::WebToControls(const TWEB& web)
{
    const TOPTIONS& options = web.Options;
    m_maxFileCount.Show(options.MaxFileCount);
    m_minFileSize.Show(options.MinFileSize);
    m_maxFileSize.Show(options.MaxFileSize);
    m_maxDiskSize.Show(options.MaxDiskSize);
    m_mimeGrid->Fill(web.MimeList);
}

void TFileTab::ControlsToWeb(TWEB& web) const
{
    TOPTIONS& options = web.Options;
    options.SetInteger(&TOPTIONS::MaxFileCount, m_maxFileCount.Value());
    options.SetInteger(&TOPTIONS::MinFileSize, m_minFileSize.Value());
    options.SetInteger(&TOPTIONS::MaxFileSize, m_maxFileSize.Value());
    options.SetInteger(&TOPTIONS::MaxDiskSize, m_maxDiskSize.Value());
    m_mimeGrid->WriteTo(web.MimeList);
}

} // namespace velbrin
