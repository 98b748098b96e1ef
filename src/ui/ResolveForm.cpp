#include "ui/ResolveForm.h"

#include "ui/ShownText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velbrin {

TResolveForm::TResolveForm(TWEB& web, const TSommaireParam& params, const TPictureSizeReader& readSize,
                           QWidget* parent)
    : QDialog(parent), m_web(web), m_params(params), m_readSize(readSize), m_site(new QLabel(this)),
      m_file(new QLabel(this)), m_gauge(new QProgressBar(this)), m_cancel(new QPushButton(tr("&Cancel"), this))
{
    setWindowTitle(tr("Resolve links"));
    setModal(true);
    m_site->setObjectName(QStringLiteral("SiteLabel"));
    m_file->setObjectName(QStringLiteral("FileLabel"));
    m_gauge->setObjectName(QStringLiteral("Gauge"));
    m_cancel->setObjectName(QStringLiteral("Button1"));
    m_site->setTextFormat(Qt::PlainText);
    m_file->setTextFormat(Qt::PlainText);
    m_site->setFixedWidth(260);
    m_file->setFixedWidth(260);
    m_gauge->setRange(0, 1);
    m_gauge->setValue(0);

    auto* grid = new QGridLayout;
    auto* domain = new QLabel(tr("Domain:"), this);
    domain->setObjectName(QStringLiteral("Label1"));
    auto* file = new QLabel(tr("File:"), this);
    file->setObjectName(QStringLiteral("Label2"));
    grid->addWidget(domain, 0, 0);
    grid->addWidget(m_site, 0, 1);
    grid->addWidget(file, 1, 0);
    grid->addWidget(m_file, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_gauge);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
}

int TResolveForm::Run()
{
    m_cancelled = false;
    m_running = true;
    show();
    // The pass lets events through after every record: the Cancel button, the
    // window's repainting. Other windows stay blocked by this modal one.
    const TPump pump = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    LetEventsThrough(pump);
    int result = kResolveCancelled;
    try {
        result = ResolveLinks(m_web, m_params, m_readSize, *this, pump);
    } catch (...) {
        m_running = false;
        hide();
        throw;
    }
    m_running = false;
    setResult(result);
    hide();
    return result;
}

void TResolveForm::ShowSite(const std::string& site) { m_site->setText(ShownText(site)); }

void TResolveForm::ShowFile(const std::string& fileName) { m_file->setText(ShownText(fileName)); }

void TResolveForm::ShowProgress(int done, int total)
{
    m_gauge->setRange(0, std::max(total, 1));
    m_gauge->setValue(std::clamp(done, 0, std::max(total, 1)));
}

void TResolveForm::closeEvent(QCloseEvent* event)
{
    // The window frame's close button cancels the pass; the form closes
    // itself when the pass has stopped.
    if (m_running) {
        m_cancelled = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TResolveForm::reject()
{
    if (m_running) {
        m_cancelled = true;
        return;
    }
    QDialog::reject();
}

} // namespace velbrin
