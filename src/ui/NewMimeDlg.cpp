#include "ui/NewMimeDlg.h"

#include "capture/ErrorBox.h"
#include "store/MimeList.h"
#include "ui/ShownText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace velbrin {

namespace {

// A MIME type is kept in a short string.
constexpr int kMimeTypeMax = 255;
// Extensions become the suffix of stored file names: no separators, dots or
// blanks, three characters at most.
constexpr int kExtensionMax = 3;

std::string Trimmed(const QString& text) { return StoredText(text.trimmed()); }

} // namespace

TNewMimeDlg::TNewMimeDlg(QWidget* parent)
    : QDialog(parent), m_type(new QLineEdit(this)), m_extension(new QLineEdit(this)), m_class(new QComboBox(this)),
      m_capture(new QRadioButton(tr("Capture"), this)), m_noCapture(new QRadioButton(tr("No capture"), this)),
      m_ok(new QPushButton(tr("&OK"), this))
{
    setWindowTitle(QStringLiteral("Create/Change  MIME-Type"));
    m_type->setObjectName(QStringLiteral("TypeNameEdit"));
    m_type->setMaxLength(kMimeTypeMax);
    m_type->setMinimumWidth(220);
    m_extension->setObjectName(QStringLiteral("ExtensionEdit"));
    m_extension->setMaxLength(kExtensionMax);
    m_extension->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"([^/\\.:*?"<>|\s]{0,3})")), m_extension));
    m_class->setObjectName(QStringLiteral("ObjectTypeCombo"));
    for (std::string_view name : kMimeClassNames)
        m_class->addItem(ShownText(name));
    m_capture->setObjectName(QStringLiteral("CaptureRadio"));
    m_noCapture->setObjectName(QStringLiteral("NoCaptureRadio"));
    m_capture->setChecked(true);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout;
    form->addRow(tr("Type name"), m_type);
    form->addRow(tr("File extension "), m_extension);
    form->addRow(tr("Object type"), m_class);

    auto* action = new QGroupBox(tr(" &Action "), this);
    action->setObjectName(QStringLiteral("ActionGroup"));
    auto* choices = new QHBoxLayout(action);
    choices->addWidget(m_capture);
    choices->addWidget(m_noCapture);
    choices->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(action);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, &TNewMimeDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &TNewMimeDlg::reject);
    connect(m_type, &QLineEdit::textChanged, this, &TNewMimeDlg::UpdateOk);
    UpdateOk();
}

void TNewMimeDlg::SetValues(const TMimeRowValues& values)
{
    m_given = values;
    m_type->setText(ShownText(values.MimeType));
    m_extension->setText(ShownText(values.Extension));
    m_class->setCurrentIndex(MimeClassIndex(values.TypeName));
    (values.Capture ? m_capture : m_noCapture)->setChecked(true);
    UpdateOk();
}

TMimeRowValues TNewMimeDlg::Values() const
{
    TMimeRowValues values;
    values.MimeType = FieldBytes(m_type, m_given.MimeType);
    values.Extension = FieldBytes(m_extension, m_given.Extension);
    values.TypeName = std::string(MimeClassName(static_cast<std::uint8_t>(m_class->currentIndex())));
    values.Capture = m_capture->isChecked();
    return values;
}

std::string TNewMimeDlg::FieldBytes(const QLineEdit* field, const std::string& given) const
{
    if (field->text() == ShownText(given))
        return given;
    return Trimmed(field->text());
}

void TNewMimeDlg::UpdateOk() { m_ok->setEnabled(!m_type->text().trimmed().isEmpty()); }

void TNewMimeDlg::accept()
{
    if (m_type->text().trimmed().isEmpty()) {
        m_type->setFocus();
        return;
    }
    if (m_capture->isChecked() && m_extension->text().trimmed().isEmpty()) {
        WarningBox(TWarning::NoCaptureType);
        m_extension->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace velbrin
