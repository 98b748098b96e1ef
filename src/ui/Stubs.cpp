// Temporary bodies so that the headers link; replaced file by file.
#include "ui/AboutDlg.h"
#include "ui/AddUrlDlg.h"
#include "ui/CopyDlg.h"
#include "ui/DeleteFilesDlg.h"
#include "ui/DirectoryDlg.h"
#include "ui/MessageBoxes.h"
#include "ui/NewForm.h"
#include "ui/ResolveForm.h"
#include "ui/StopDlg.h"
#include "ui/UrlVerifDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace velbrin {

TErrorDlg::TErrorDlg(const TBox& box, QWidget* parent) : QDialog(parent), m_buttons(box.Buttons) {}
void TErrorDlg::reject() { QDialog::reject(); }
TQtErrorBoxView::TQtErrorBoxView(QWidget* parent) : m_parent(parent) {}
TModalResult TQtErrorBoxView::ShowBox(const TBox&) { return TModalResult::None; }
TModalResult ShowMessageBox(QWidget*, std::string_view, std::string_view, TBoxButtons, TBoxIcon)
{
    return TModalResult::None;
}

TNewForm::TNewForm(const TParam& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_url(new QLineEdit(this)), m_path(new QLineEdit(this)),
      m_title(new QLineEdit(this)), m_create(new QPushButton(this)), m_capture(new QPushButton(this))
{
}
void TNewForm::SetFlags(unsigned flags) { m_flags = flags; }
void TNewForm::SetAddress(const std::string&) {}
void TNewForm::SetTitle(const std::string&) {}
std::string TNewForm::Address() const { return {}; }
std::string TNewForm::Directory() const { return {}; }
std::string TNewForm::Title() const { return {}; }
TNewFormResult TNewForm::Run() { return TNewFormResult::Cancel; }
void TNewForm::done(int result) { QDialog::done(result); }
void TNewForm::showEvent(QShowEvent* event) { QDialog::showEvent(event); }
std::string NewWebDirectory(const std::string&, const std::string&) { return {}; }

TDeleteFilesAnswer AskDeleteFiles(QWidget*, const std::string&, int) { return TDeleteFilesAnswer::Cancel; }
std::optional<std::string> AskAddress(QWidget*, const QString&, const std::string&, const TParam&) { return {}; }

TCopyDlg::TCopyDlg(const QString&, const std::string&, const std::string&, QWidget* parent)
    : QDialog(parent), m_file(nullptr), m_gauge(nullptr)
{
}
void TCopyDlg::ShowProgress(const std::string&, int, int) {}
QString TCopyDlg::FileShown() const { return {}; }
int TCopyDlg::BoxesLit() const { return 0; }

std::optional<std::string> ChooseDirectory(QWidget*, const QString&, const std::string&, bool) { return {}; }
std::optional<QString> AskDirectoryName(QWidget*, const QString&) { return {}; }

TAboutDlg::TAboutDlg(QWidget* parent) : QDialog(parent) {}

TUrlVerifDlg::TUrlVerifDlg(const std::string&, QWidget* parent)
    : QDialog(parent), m_port(0), m_label(new QLabel(this)), m_timeout(new QTimer(this))
{
}
TUrlVerifDlg::~TUrlVerifDlg() = default;
QString TUrlVerifDlg::Message() const { return {}; }
void TUrlVerifDlg::showEvent(QShowEvent* event) { QDialog::showEvent(event); }

std::optional<bool> AskStopCapture(QWidget*) { return {}; }

TResolveForm::TResolveForm(TWEB& web, const TSommaireParam& params, const TPictureSizeReader& readSize,
                           QWidget* parent)
    : QDialog(parent), m_web(web), m_params(params), m_readSize(readSize), m_site(nullptr), m_file(nullptr),
      m_gauge(nullptr), m_cancel(nullptr)
{
}
int TResolveForm::Run() { return kResolveCancelled; }
void TResolveForm::ShowSite(const std::string&) {}
void TResolveForm::ShowFile(const std::string&) {}
void TResolveForm::ShowProgress(int, int) {}
void TResolveForm::closeEvent(QCloseEvent* event) { QDialog::closeEvent(event); }
void TResolveForm::reject() {}

} // namespace velbrin
