#include "ui/OptionsTab.h"

#include "capture/Web.h"
#include "core/ShortString.h"
#include "ui/ByteField.h"
#include "ui/LimitField.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velbrin {

namespace {

constexpr int kMaxDepth = 1000;

QCheckBox* MakeCheck(QWidget* parent, const QString& caption, const QString& name)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    return check;
}

QLineEdit* MakeTextField(QWidget* parent, const QString& name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaxLength(static_cast<int>(kShortStringMax));
    return field;
}

// A check box whose caption wraps: the caption is a label beside the box,
// and a click on it toggles the box.
class TCheckCaption : public QLabel {
public:
    TCheckCaption(const QString& caption, QCheckBox* check, QWidget* parent) : QLabel(caption, parent), m_check(check)
    {
        setWordWrap(true);
        setBuddy(check);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (m_check->isEnabled())
            m_check->toggle();
    }

private:
    QCheckBox* m_check;
};

QGridLayout* GroupLayout(QGroupBox* group)
{
    auto* layout = new QGridLayout(group);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setVerticalSpacing(2);
    return layout;
}

} // namespace

TOptionsTab::TOptionsTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);

    auto* mainWeb = new QGroupBox(QStringLiteral("Main Web"), this);
    mainWeb->setObjectName(QStringLiteral("MainWebGroup"));
    auto* mainLayout = GroupLayout(mainWeb);
    m_internalPathLimit = MakeCheck(mainWeb, QString(), QStringLiteral("InternalPathLimitCheck"));
    auto* internalPathCaption = new TCheckCaption(
        QStringLiteral(" Restrict search to the included path in URL (but not CGI or included objects)."),
        m_internalPathLimit, mainWeb);
    internalPathCaption->setObjectName(QStringLiteral("InternalPathLimitLabel"));
    auto* internalPathRow = new QHBoxLayout;
    internalPathRow->setSpacing(0);
    internalPathRow->addWidget(m_internalPathLimit, 0, Qt::AlignTop);
    internalPathRow->addWidget(internalPathCaption, 1);
    m_internalLinkDepth = MakeNumberField(mainWeb, QStringLiteral("InternalLinkDepthEdit"), 0, kMaxDepth);
    auto* internalDepthLabel = new QLabel(QStringLiteral("Search level of internal links:"), mainWeb);
    internalDepthLabel->setBuddy(m_internalLinkDepth);
    mainLayout->addLayout(internalPathRow, 0, 0, 1, 3);
    mainLayout->addWidget(internalDepthLabel, 1, 0);
    mainLayout->addWidget(m_internalLinkDepth, 1, 1);
    mainLayout->setColumnStretch(2, 1);
    layout->addWidget(mainWeb);

    auto* externalDepthRow = new QHBoxLayout;
    m_externalWebDepth = MakeNumberField(this, QStringLiteral("ExternalWebDepthEdit"), 0, kMaxDepth);
    auto* externalDepthLabel = new QLabel(QStringLiteral("Search level of external webs: "), this);
    externalDepthLabel->setBuddy(m_externalWebDepth);
    externalDepthRow->setContentsMargins(6, 0, 0, 0);
    externalDepthRow->addWidget(externalDepthLabel);
    externalDepthRow->addWidget(m_externalWebDepth);
    externalDepthRow->addStretch(1);
    layout->addLayout(externalDepthRow);

    m_externalWebs = new QGroupBox(QStringLiteral("External webs"), this);
    m_externalWebs->setObjectName(QStringLiteral("ExternalWebsGroup"));
    auto* externalLayout = GroupLayout(m_externalWebs);
    m_externalPathLimit = MakeCheck(m_externalWebs, QStringLiteral(" Restrict search to the first path of the Web."),
                                    QStringLiteral("ExternalPathLimitCheck"));
    m_externalLinkDepth = MakeNumberField(m_externalWebs, QStringLiteral("ExternalLinkDepthEdit"), 0, kMaxDepth);
    m_externalLinkDepthLabel = new QLabel(QStringLiteral("Search level of internal links:"), m_externalWebs);
    m_externalLinkDepthLabel->setObjectName(QStringLiteral("ExternalLinkDepthLabel"));
    m_externalLinkDepthLabel->setBuddy(m_externalLinkDepth);
    externalLayout->addWidget(m_externalPathLimit, 0, 0, 1, 3);
    externalLayout->addWidget(m_externalLinkDepthLabel, 1, 0);
    externalLayout->addWidget(m_externalLinkDepth, 1, 1);
    externalLayout->setColumnStretch(2, 1);
    layout->addWidget(m_externalWebs);

    auto* accessRow = new QGridLayout;
    accessRow->setContentsMargins(6, 0, 0, 0);
    accessRow->setVerticalSpacing(2);
    const TLimitField maxTime = TLimitField::Make(this, QStringLiteral(" Connection timeout:"), QStringLiteral("MaxTime"));
    m_maxTimeCheck = maxTime.Check;
    m_maxTime = maxTime.Edit;
    m_username = MakeTextField(this, QStringLiteral("UsernameEdit"));
    m_password = MakeTextField(this, QStringLiteral("PasswordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* usernameLabel = new QLabel(QStringLiteral("User name:"), this);
    usernameLabel->setBuddy(m_username);
    auto* passwordLabel = new QLabel(QStringLiteral("Password:"), this);
    passwordLabel->setBuddy(m_password);
    accessRow->addWidget(m_maxTimeCheck, 0, 0);
    accessRow->addWidget(m_maxTime, 0, 1);
    accessRow->addWidget(new QLabel(QStringLiteral("minutes."), this), 0, 2, 1, 3);
    accessRow->addWidget(usernameLabel, 1, 0);
    accessRow->addWidget(m_username, 1, 1, 1, 2);
    accessRow->addWidget(passwordLabel, 1, 3);
    accessRow->addWidget(m_password, 1, 4);
    accessRow->setColumnStretch(2, 1);
    accessRow->setColumnStretch(4, 1);
    layout->addLayout(accessRow);

    QWidget* pages = this;
    auto* pagesLayout = new QGridLayout;
    pagesLayout->setContentsMargins(6, 2, 0, 0);
    pagesLayout->setVerticalSpacing(0);
    m_realLink = MakeCheck(pages, QStringLiteral(" Add link to the actual URL at end of page."), QStringLiteral("RealLinkCheck"));
    m_suppressLink = MakeCheck(pages, QStringLiteral(" Delete all links to bad URLs."), QStringLiteral("SuppressLinkCheck"));
    m_refLimit = MakeCheck(pages, QStringLiteral(" Do not capture pictures in HTML pages."), QStringLiteral("RefLimitCheck"));
    m_backgroundOnly =
        MakeCheck(pages, QStringLiteral(" Capture background pictures only."), QStringLiteral("BackgroundOnlyCheck"));
    pagesLayout->addWidget(m_realLink, 0, 0);
    pagesLayout->addWidget(m_suppressLink, 1, 0);
    pagesLayout->addWidget(m_refLimit, 2, 0);
    pagesLayout->addWidget(m_backgroundOnly, 3, 0);
    layout->addLayout(pagesLayout);
    layout->addStretch(1);

    connect(m_externalWebDepth, &QSpinBox::valueChanged, this, [this] { UpdateExternalWebs(); });
    UpdateExternalWebs();
}

void TOptionsTab::WebToControls(const TWEB& web)
{
    const TOPTIONS& options = web.Options;
    m_internalPathLimit->setChecked(options.InternalPathLimit);
    m_internalLinkDepth->setValue(options.InternalLinkDepth);
    m_externalWebDepth->setValue(options.ExternalWebDepth);
    m_externalPathLimit->setChecked(options.ExternalPathLimit);
    m_externalLinkDepth->setValue(options.ExternalLinkDepth);
    TLimitField{m_maxTimeCheck, m_maxTime}.Show(options.MaxTime);
    ShowBytes(m_username, options.Username);
    ShowBytes(m_password, options.Password);
    m_realLink->setChecked(options.RealLinkFlag);
    m_suppressLink->setChecked(options.SuppressLinkFlag);
    m_refLimit->setChecked(options.RefLimit);
    m_backgroundOnly->setChecked(options.BackgroundOnlyFlag);
    UpdateExternalWebs();
}

void TOptionsTab::ControlsToWeb(TWEB& web) const
{
    TOPTIONS& options = web.Options;
    options.InternalPathLimit = m_internalPathLimit->isChecked();
    options.SetInteger(&TOPTIONS::InternalLinkDepth, m_internalLinkDepth->value());
    options.SetInteger(&TOPTIONS::ExternalWebDepth, m_externalWebDepth->value());
    options.ExternalPathLimit = m_externalPathLimit->isChecked();
    options.SetInteger(&TOPTIONS::ExternalLinkDepth, m_externalLinkDepth->value());
    options.SetInteger(&TOPTIONS::MaxTime, TLimitField{m_maxTimeCheck, m_maxTime}.Value());
    options.Username = ShortString(FieldBytes(m_username));
    options.Password = ShortString(FieldBytes(m_password));
    options.RealLinkFlag = m_realLink->isChecked();
    options.SuppressLinkFlag = m_suppressLink->isChecked();
    options.RefLimit = m_refLimit->isChecked();
    options.BackgroundOnlyFlag = m_backgroundOnly->isChecked();
}

// Below one external web level nothing outside the start domain is fetched:
// the group's settings stay in sight but greyed.
void TOptionsTab::UpdateExternalWebs()
{
    const bool active = m_externalWebDepth->value() >= 1;
    // Palettes with only the changed colours set; the rest follows the page.
    QPalette group;
    QPalette field;
    if (!active) {
        group.setColor(QPalette::WindowText, Qt::gray);
        field.setColor(QPalette::Disabled, QPalette::Base, QColor(192, 192, 192));
    }
    m_externalWebs->setPalette(group);
    m_externalLinkDepth->setPalette(field);
    m_externalPathLimit->setEnabled(active);
    m_externalLinkDepthLabel->setEnabled(active);
    m_externalLinkDepth->setEnabled(active);
}

} // namespace velbrin
