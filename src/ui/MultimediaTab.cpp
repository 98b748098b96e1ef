#include "ui/MultimediaTab.h"

#include "capture/Web.h"
#include "core/CaseFold.h"
#include "media/PictureView.h"
#include "media/Player.h"
#include "ui/ShownText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace velbrin {

namespace {

constexpr int kIconSize = 14;
constexpr int kListWidth = 170;

std::optional<TDocumentKind> KindOfMime(std::string_view mime)
{
    if (SameText(mime, "image/gif"))
        return TDocumentKind::Gif;
    if (SameText(mime, "image/jpeg"))
        return TDocumentKind::Jpeg;
    if (SameText(mime, "video/x-msvideo"))
        return TDocumentKind::Avi;
    if (SameText(mime, "audio/x-wav"))
        return TDocumentKind::Wav;
    return std::nullopt;
}

bool IsCaptured(const TWebFile& record)
{
    return record.State == StateCapturedPage || record.State == StateCapturedFile;
}

// Videos and sounds go by the file's extension: a picture saved under any
// other name is still shown as a picture.
bool IsPlayedFile(std::string_view fileName)
{
    return EndsWithNoCase(fileName, ".avi") || EndsWithNoCase(fileName, ".wav");
}

// The item icons: a picture (a landscape), a sound (a loudspeaker), a video
// (a strip of film).
QIcon DocumentIcon(bool played, bool video)
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!played) {
        painter.setPen(QColor(0, 0, 128));
        painter.setBrush(QColor(200, 225, 255));
        painter.drawRect(QRectF(0.5, 1.5, 13, 11));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 128, 0));
        QPainterPath hill;
        hill.moveTo(1, 12);
        hill.lineTo(5, 6);
        hill.lineTo(8, 9);
        hill.lineTo(10, 7);
        hill.lineTo(13, 12);
        hill.closeSubpath();
        painter.drawPath(hill);
        painter.setBrush(QColor(230, 180, 0));
        painter.drawEllipse(QPointF(10, 4.5), 1.5, 1.5);
    } else if (!video) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(64, 64, 64));
        painter.drawRect(QRectF(1, 5, 3, 4));
        QPolygonF cone({QPointF(4, 5), QPointF(8, 1.5), QPointF(8, 12.5), QPointF(4, 9)});
        painter.drawPolygon(cone);
        painter.setPen(QPen(QColor(128, 0, 0), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(6, 3.5, 5, 7), -60 * 16, 120 * 16);
        painter.drawArc(QRectF(6, 1.5, 8, 11), -60 * 16, 120 * 16);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(48, 48, 48));
        painter.drawRect(QRectF(1, 1, 12, 12));
        painter.setBrush(Qt::white);
        for (int y = 2; y < 13; y += 3) {
            painter.drawRect(QRectF(2, y, 1.5, 1.5));
            painter.drawRect(QRectF(10.5, y, 1.5, 1.5));
        }
        painter.setBrush(QColor(120, 170, 230));
        painter.drawRect(QRectF(4.5, 3, 5, 8));
    }
    return QIcon(pixmap);
}

} // namespace

TMultimediaTab::TMultimediaTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    auto* left = new QVBoxLayout;
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("DocumentList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(kIconSize, kIconSize));
    m_list->setUniformItemSizes(true);
    m_list->setFixedWidth(kListWidth);
    m_icons[0] = DocumentIcon(false, false);
    m_icons[1] = DocumentIcon(true, false);
    m_icons[2] = DocumentIcon(true, true);
    left->addWidget(m_list, 1);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("MultimediaOptionsGroup"));
    auto* grid = new QGridLayout(options);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    static const struct {
        const char* Text;
        const char* Name;
    } types[] = {{" Gif", "ListGifCheck"}, {" Jpeg", "ListJpegCheck"}, {"Avi", "ListAviCheck"}, {"Wav", "ListWavCheck"}};
    for (int i = 0; i < 4; ++i) {
        m_typeChecks[i] = new QCheckBox(QString::fromLatin1(types[i].Text), options);
        m_typeChecks[i]->setObjectName(QString::fromLatin1(types[i].Name));
        grid->addWidget(m_typeChecks[i], i / 2, i % 2);
        connect(m_typeChecks[i], &QCheckBox::toggled, this, [this] { FillDocumentList(); });
    }
    m_resize = new QCheckBox(QStringLiteral(" Resize pictures"), options);
    m_resize->setObjectName(QStringLiteral("StretchImageCheck"));
    grid->addWidget(m_resize, 2, 0, 1, 2);
    m_loadIcon = new QToolButton(options);
    m_loadIcon->setObjectName(QStringLiteral("LoadIcon"));
    m_loadIcon->setToolTip(QStringLiteral("Load document"));
    m_loadIcon->setAutoRaise(true);
    m_loadIcon->setIconSize(QSize(32, 32));
    // Until the window gives it the browser's icon.
    m_loadIcon->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_loadIcon->setEnabled(false);
    grid->addWidget(m_loadIcon, 0, 2, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
    left->addWidget(options);
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    m_wall = new QStackedWidget(this);
    m_wall->setObjectName(QStringLiteral("Wall"));
    m_wall->setFrameShape(QFrame::StyledPanel);
    m_picture = new TPictureView(m_wall);
    m_picture->setObjectName(QStringLiteral("PictureView"));
    m_wall->addWidget(m_picture);
    m_player = new TPlayer(this);
    m_player->setObjectName(QStringLiteral("PlayerBar"));
    m_wall->addWidget(m_player->Display());
    right->addWidget(m_wall, 1);
    right->addWidget(m_player);
    m_player->hide();
    layout->addLayout(right, 1);

    connect(m_resize, &QCheckBox::toggled, m_picture, &TPictureView::SetShrink);
    m_picture->SetShrink(m_resize->isChecked());

    m_selectionTimer = new QTimer(this);
    m_selectionTimer->setSingleShot(true);
    m_selectionTimer->setInterval(kSelectionDelay);
    connect(m_selectionTimer, &QTimer::timeout, this, [this] {
        const bool play = m_playArmed;
        m_playArmed = false;
        ShowDocument(m_list->currentRow(), play);
    });
    // A click, or a move of the selection with the keyboard.
    connect(m_list, &QListWidget::currentRowChanged, this, [this] {
        if (!m_selecting)
            Armed(false);
    });
    connect(m_list, &QListWidget::itemClicked, this, [this] { Armed(false); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Armed(true); });
}

TMultimediaTab::~TMultimediaTab()
{
    // The bar lets go of its display, which the wall holds, before either goes.
    delete m_player;
}

void TMultimediaTab::WebToControls(const TWEB& web)
{
    const TOPTIONS& options = web.Options;
    const bool flags[4] = {options.ListGifFlag, options.ListJpegFlag, options.ListAviFlag, options.ListWavFlag};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker quiet(m_typeChecks[i]);
        m_typeChecks[i]->setChecked(flags[i]);
    }
    m_resize->setChecked(options.StretchImageFlag);
    m_directory = web.Path;
    ReadDocuments(web);
    FillDocumentList();
}

void TMultimediaTab::ControlsToWeb(TWEB& web) const
{
    TOPTIONS& options = web.Options;
    options.ListGifFlag = TypeCheck(TDocumentKind::Gif)->isChecked();
    options.ListJpegFlag = TypeCheck(TDocumentKind::Jpeg)->isChecked();
    options.ListAviFlag = TypeCheck(TDocumentKind::Avi)->isChecked();
    options.ListWavFlag = TypeCheck(TDocumentKind::Wav)->isChecked();
    options.StretchImageFlag = m_resize->isChecked();
}

void TMultimediaTab::LinkChanged(const TWEB& web, const TWebFile* record)
{
    if (!record) {
        // Many records changed: read them again, keeping what is shown when
        // it is still listed.
        const std::string shown =
            m_list->currentRow() >= 0 ? m_documents[m_rows[m_list->currentRow()]].FileName : std::string();
        m_directory = web.Path;
        ReadDocuments(web);
        FillDocumentList();
        if (shown.empty())
            return;
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            if (m_documents[m_rows[row]].FileName == shown) {
                Select(static_cast<int>(row));
                break;
            }
        }
        return;
    }
    AddDocument(*record);
}

void TMultimediaTab::ListDocument(const std::string& fileName, bool show)
{
    if (fileName.empty())
        return;
    AddDocument(fileName, EndsWithNoCase(fileName, ".gif") ? TDocumentKind::Gif : TDocumentKind::Jpeg);
    if (!show)
        return;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_documents[m_rows[row]].FileName == fileName) {
            ShowDocument(static_cast<int>(row));
            return;
        }
    }
}

void TMultimediaTab::Clear()
{
    m_directory.clear();
    m_documents.clear();
    m_known.clear();
    FillDocumentList();
}

void TMultimediaTab::FillDocumentList()
{
    m_selectionTimer->stop();
    m_playArmed = false;
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
    }
    m_rows.clear();
    for (std::size_t i = 0; i < m_documents.size(); ++i) {
        if (!Listed(m_documents[i].Kind))
            continue;
        m_rows.push_back(i);
        AddItem(m_documents[i]);
    }
    ShowDocument(-1);
}

void TMultimediaTab::ShowDocument(int index, bool play)
{
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        Select(-1);
        m_picture->Clear();
        m_player->Close();
        m_player->hide();
        m_wall->setCurrentWidget(m_picture);
        m_loadIcon->setEnabled(false);
        return;
    }
    Select(index);
    const std::string& fileName = m_documents[m_rows[static_cast<std::size_t>(index)]].FileName;
    const std::string path = m_directory + fileName;
    if (!IsPlayedFile(fileName)) {
        m_player->Close();
        m_player->hide();
        m_wall->setCurrentWidget(m_picture);
        m_picture->Load(path);
    } else {
        m_picture->Clear();
        m_player->show();
        m_wall->setCurrentWidget(m_player->Display());
        m_player->Open(path, play);
    }
    m_loadIcon->setEnabled(true);
}

void TMultimediaTab::ReadDocuments(const TWEB& web)
{
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
    }
    m_rows.clear();
    m_documents.clear();
    m_known.clear();
    // The tree's const walk: the predicate sees every record in order.
    web.Tree.CountFiles([this](const TWebFile& record) {
        AddDocument(record);
        return false;
    });
}

void TMultimediaTab::AddDocument(const TWebFile& record)
{
    if (!IsCaptured(record) || record.GetFileName().empty())
        return;
    const std::optional<TDocumentKind> kind = KindOfMime(record.GetMimeType());
    if (!kind)
        return;
    AddDocument(record.GetFileName(), *kind);
}

bool TMultimediaTab::AddDocument(const std::string& fileName, TDocumentKind kind)
{
    // A file entered under several addresses (redirections), or told of
    // twice, is listed once.
    if (!m_known.insert(fileName).second)
        return false;
    m_documents.push_back({fileName, kind});
    if (Listed(kind)) {
        m_rows.push_back(m_documents.size() - 1);
        AddItem(m_documents.back());
    }
    return true;
}

void TMultimediaTab::AddItem(const TDocument& document)
{
    const int icon = !IsPlayedFile(document.FileName) ? 0 : EndsWithNoCase(document.FileName, ".wav") ? 1 : 2;
    const QSignalBlocker quiet(m_list);
    m_list->addItem(new QListWidgetItem(m_icons[icon], ShownText(document.FileName)));
}

bool TMultimediaTab::Listed(TDocumentKind kind) const
{
    return TypeCheck(kind)->isChecked();
}

void TMultimediaTab::Select(int index)
{
    m_selecting = true;
    m_list->setCurrentRow(index);
    m_selecting = false;
}

void TMultimediaTab::Armed(bool play)
{
    m_playArmed = m_playArmed || play;
    m_selectionTimer->start();
}

} // namespace velbrin
