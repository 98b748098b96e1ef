#include "ui/UrlTab.h"

#include "capture/Web.h"
#include "store/WebTreeWalk.h"
#include "ui/ShownText.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace velbrin {

namespace {

// Every listed link of the Web, in walk order.
std::vector<TUrlRow> ListedRows(const TWEB& web, const TUrlStates& states)
{
    std::vector<TUrlRow> rows;
    std::string address;
    auto visit = [&](const TWebFile& record, const std::string* at) {
        if (IsListedLink(record, states))
            rows.push_back({*at, UrlItemText(record, *at), record.State});
        return false;
    };
    detail::WalkWebNode(web.Tree.Root(), &address, visit);
    return rows;
}

QString FileDate(const std::string& fileName)
{
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(fileName)));
    if (!info.exists())
        return {};
    return QLocale::system().toString(info.lastModified(), QLocale::ShortFormat);
}

QLineEdit* ReadOnlyField(QWidget* parent, const QString& name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    return field;
}

} // namespace

TUrlTab::TUrlTab(QWidget* parent)
    : QWidget(parent), m_captured(new QCheckBox(tr("Captured"), this)),
      m_toExplore(new QCheckBox(tr("To be explored"), this)), m_notFound(new QCheckBox(tr("&Not found"), this)),
      m_filtered(new QCheckBox(tr("&Filtered"), this)), m_list(new QListView(this)),
      m_address(ReadOnlyField(this, QStringLiteral("AddressEdit"))),
      m_file(ReadOnlyField(this, QStringLiteral("FileEdit"))), m_date(ReadOnlyField(this, QStringLiteral("DateEdit"))),
      m_launch(new QToolButton(this)), m_menu(new QMenu(this))
{
    m_captured->setObjectName(QStringLiteral("ResolvedUrlCheck"));
    m_toExplore->setObjectName(QStringLiteral("TodoUrlCheck"));
    m_notFound->setObjectName(QStringLiteral("ErrorUrlCheck"));
    m_filtered->setObjectName(QStringLiteral("FilteredUrlCheck"));
    auto* types = new QGroupBox(tr("Url type"), this);
    types->setObjectName(QStringLiteral("UrlTypeGroup"));
    auto* boxes = new QHBoxLayout(types);
    boxes->setContentsMargins(6, 2, 6, 2);
    for (QCheckBox* box : {m_captured, m_toExplore, m_notFound, m_filtered}) {
        box->setParent(types);
        boxes->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &TUrlTab::BoxToggled);
    }
    boxes->addStretch(1);

    m_list->setObjectName(QStringLiteral("UrlList"));
    m_list->setModel(&m_model);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &TUrlTab::ShowSelected);
    connect(m_list, &QListView::doubleClicked, this, &TUrlTab::Launch);
    connect(m_list, &QListView::customContextMenuRequested, this, &TUrlTab::ShowPopup);

    m_launch->setObjectName(QStringLiteral("LaunchIcon"));
    m_launch->setToolTip(tr("Launch Navigator with selected Url"));
    m_launch->setAutoRaise(true);
    m_launch->setIconSize(QSize(32, 32));
    // Until the window gives it the browser's picture, a plain arrow shows
    // where the link is opened.
    m_launch->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_launch->setFixedSize(40, 40);
    connect(m_launch, &QToolButton::clicked, this, &TUrlTab::Launch);

    m_createWeb = m_menu->addAction(tr("&Create new Web..."));
    m_forceCapture = m_menu->addAction(QStringLiteral("&Force capture "));
    connect(m_createWeb, &QAction::triggered, this, [this] {
        if (const TWebFile* record = SelectedRecord(); record && record->State == StateFiltered)
            emit CreateWebRequested(SelectedAddress());
    });
    connect(m_forceCapture, &QAction::triggered, this, [this] {
        if (const TWebFile* record = SelectedRecord(); record && record->State == StateFiltered)
            emit ForceCaptureRequested(SelectedAddress());
    });

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(2);
    fields->addWidget(new QLabel(tr("Address:"), this), 0, 0);
    fields->addWidget(m_address, 0, 1);
    fields->addWidget(new QLabel(tr("File:"), this), 1, 0);
    fields->addWidget(m_file, 1, 1);
    fields->addWidget(new QLabel(tr("Date:"), this), 2, 0);
    fields->addWidget(m_date, 2, 1);
    fields->addWidget(m_launch, 0, 2, 3, 1, Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);
    layout->addWidget(types);
    layout->addWidget(m_list, 1);
    layout->addLayout(fields);
    ShowSelected();
}

TUrlStates TUrlTab::States() const
{
    return {m_captured->isChecked(), m_toExplore->isChecked(), m_notFound->isChecked(), m_filtered->isChecked()};
}

void TUrlTab::Follow(TWEB* web)
{
    m_web = web;
    if (!web) {
        m_model.Reset({});
        ShowSelected();
    }
}

void TUrlTab::WebToControls(const TWEB& web)
{
    const TUrlStates states = TUrlStates::Of(web.Options);
    const std::pair<QCheckBox*, bool> boxes[] = {
        {m_captured, states.Captured}, {m_toExplore, states.ToExplore},
        {m_notFound, states.NotFound}, {m_filtered, states.Filtered}};
    for (auto [box, on] : boxes) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
    m_model.Reset(ListedRows(web, states));
    Select(0);
}

void TUrlTab::ControlsToWeb(TWEB& web) const { States().StoreIn(web.Options); }

void TUrlTab::Refill()
{
    if (!m_web) {
        m_model.Reset({});
        ShowSelected();
        return;
    }
    m_model.Reset(ListedRows(*m_web, States()));
    Select(0);
}

void TUrlTab::BoxToggled()
{
    if (m_web)
        States().StoreIn(m_web->Options);
    Refill();
}

void TUrlTab::LinkChanged(const TWebFile* record)
{
    if (!m_web)
        return;
    if (!record) {
        Refill();
        return;
    }
    const std::string address = m_web->Tree.GetFileUrl(*record);
    if (address.empty())
        return;
    const bool selected = address == SelectedAddress();
    if (IsListedLink(*record, States()))
        m_model.Put({address, UrlItemText(*record, address), record->State});
    else
        m_model.Remove(address);
    if (selected || !m_list->currentIndex().isValid())
        ShowSelected();
}

std::string TUrlTab::SelectedAddress() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? m_model.At(current.row()).Address : std::string();
}

void TUrlTab::Select(int row)
{
    if (row >= 0 && row < m_model.rowCount())
        m_list->setCurrentIndex(m_model.index(row));
    ShowSelected();
}

const TWebFile* TUrlTab::SelectedRecord() const
{
    const std::string address = SelectedAddress();
    return m_web && !address.empty() ? m_web->Tree.FindFile(address) : nullptr;
}

void TUrlTab::ShowSelected()
{
    const std::string address = SelectedAddress();
    const TWebFile* record = SelectedRecord();
    m_launch->setEnabled(!address.empty());
    m_address->setText(ShownText(address));
    m_file->setText(record ? ShownText(record->GetFileName()) : QString());
    m_date->setText(record && !record->GetFileName().empty() ? FileDate(m_web->Path + record->GetFileName())
                                                             : QString());
    const bool filtered = record && record->State == StateFiltered;
    m_createWeb->setEnabled(filtered);
    m_forceCapture->setEnabled(filtered);
}

void TUrlTab::Launch()
{
    const std::string address = SelectedAddress();
    if (address.empty())
        return;
    const TWebFile* record = SelectedRecord();
    if (record && !record->GetFileName().empty())
        emit LaunchRequested(m_web->Path + record->GetFileName());
    else
        emit LaunchRequested(address);
}

void TUrlTab::ShowPopup(const QPoint& position)
{
    // The link under the mouse is the one the menu acts on.
    if (const QModelIndex at = m_list->indexAt(position); at.isValid())
        Select(at.row());
    ShowSelected();
    m_menu->popup(m_list->viewport()->mapToGlobal(position));
}

bool TUrlTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Launch();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ForceCapture(TWEB& web, const std::string& address)
{
    TWebFile* record = web.Tree.FindFile(address);
    if (!record || record->State != StateFiltered)
        return false;
    record->WebDepth = 0;
    web.SetState(*record, StateToExplore);
    return true;
}

} // namespace velbrin
