#include "ui/WebTab.h"

#include "capture/Web.h"
#include "core/DateTime.h"
#include "core/ShortString.h"
#include "ui/ByteField.h"
#include "ui/ShownText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace velbrin {

namespace {

QLineEdit* MakeField(QWidget* parent, const QString& name, bool readOnly)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(readOnly);
    if (!readOnly)
        field->setMaxLength(static_cast<int>(kShortStringMax));
    return field;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& name)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// The date of the last capture as the locale writes it; empty for a Web never captured.
QString CaptureDateText(TDateTime date)
{
    if (date == 0)
        return {};
    return ShownText(FormatShortDate(date) + " " + FormatTimeText(date));
}

} // namespace

TWebTab::TWebTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    auto* web = new QGridLayout;
    web->setVerticalSpacing(4);
    m_url = MakeField(this, QStringLiteral("UrlEdit"), false);
    m_path = MakeField(this, QStringLiteral("PathEdit"), false);
    m_title = MakeField(this, QStringLiteral("TitleEdit"), false);
    const auto addRow = [&](int row, const QString& caption, QLineEdit* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        web->addWidget(label, row, 0);
        web->addWidget(field, row, 1);
    };
    addRow(0, QStringLiteral("Start address:"), m_url);
    addRow(1, QStringLiteral("Capture directory:"), m_path);
    addRow(2, QStringLiteral("Title:"), m_title);
    layout->addLayout(web);

    auto* statistics = new QGroupBox(QStringLiteral("Captured"), this);
    statistics->setObjectName(QStringLiteral("StatisticsGroup"));
    auto* counts = new QGridLayout(statistics);
    counts->setVerticalSpacing(4);
    m_pageCount = MakeField(statistics, QStringLiteral("PageCountEdit"), true);
    m_size = MakeField(statistics, QStringLiteral("SizeEdit"), true);
    m_date = MakeField(statistics, QStringLiteral("CaptureDateEdit"), true);
    counts->addWidget(new QLabel(QStringLiteral("Pages:"), statistics), 0, 0);
    counts->addWidget(m_pageCount, 0, 1);
    counts->addWidget(new QLabel(QStringLiteral("Size:"), statistics), 0, 2);
    counts->addWidget(m_size, 0, 3);
    counts->addWidget(new QLabel(QStringLiteral("Last capture:"), statistics), 1, 0);
    counts->addWidget(m_date, 1, 1, 1, 3);
    layout->addWidget(statistics);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    m_home = MakeButton(this, QStringLiteral("H&ome"), QStringLiteral("HomeButton"));
    m_home->setDefault(true);
    m_htmlPages = MakeButton(this, QStringLiteral(" HTML Pages"), QStringLiteral("HtmlPagesButton"));
    m_images = MakeButton(this, QStringLiteral("Images"), QStringLiteral("ImagesButton"));
    m_bookmarkFolder = MakeButton(this, QString(), QStringLiteral("BookmarkFolderButton"));
    m_browserIcon = new QToolButton(this);
    m_browserIcon->setObjectName(QStringLiteral("BrowserIcon"));
    m_browserIcon->setToolTip(QStringLiteral("Navigator's Icon"));
    m_browserIcon->setIcon(
        QIcon::fromTheme(QStringLiteral("web-browser"), style()->standardIcon(QStyle::SP_DesktopIcon)));
    m_browserIcon->setIconSize(QSize(32, 32));
    m_browserIcon->setAutoRaise(true);
    buttons->addWidget(m_home);
    buttons->addWidget(m_htmlPages);
    buttons->addWidget(m_images);
    buttons->addWidget(m_bookmarkFolder);
    buttons->addStretch(1);
    buttons->addWidget(m_browserIcon);
    layout->addLayout(buttons);

    // Enter anywhere on the page presses the default button, as in a dialog.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_home->isEnabled())
                m_home->click();
        });
    }
    connect(m_title, &QLineEdit::editingFinished, this, [this] {
        if (!m_title->isModified())
            return;
        m_title->setModified(false);
        emit TitleEdited();
    });
}

void TWebTab::WebToControls(const TWEB& web)
{
    ShowBytes(m_url, web.Url);
    ShowBytes(m_path, web.Path);
    ShowBytes(m_title, web.Title);
    m_pageCount->setText(QString::number(web.CapturedCount));
    m_size->setText(QString::number(web.TotalSize / 1024) + QStringLiteral(" Ko"));
    m_date->setText(CaptureDateText(web.CaptureDate));
}

void TWebTab::ControlsToWeb(TWEB& web) const
{
    const std::string url = FieldBytes(m_url);
    if (!url.empty() && url != web.Url)
        web.SetUrl(ShortString(url));
    const std::string path = FieldBytes(m_path);
    if (!path.empty() && path != web.Path)
        web.SetPath(path);
    web.Title = ShortString(FieldBytes(m_title));
}

} // namespace velbrin
