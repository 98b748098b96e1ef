#include "ui/UrlVerifDlg.h"

#include "core/Url.h"
#include "ui/ShownText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>
#include <QVBoxLayout>

namespace velbrin {

TUrlVerifDlg::TUrlVerifDlg(const std::string& address, QWidget* parent)
    : QDialog(parent), m_host(GetHost(address)), m_port(GetPort(address)), m_label(new QLabel(this)),
      m_timeout(new QTimer(this))
{
    setWindowTitle(tr("Check actual web presence"));
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setText(tr("Please wait, checking %1...").arg(ShownText(m_host)));
    m_label->setMinimumWidth(300);
    m_label->setWordWrap(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_timeout->setSingleShot(true);
    m_timeout->setInterval(kUrlCheckTimeoutMs);
    connect(m_timeout, &QTimer::timeout, this, [this] { Fail(); });
}

TUrlVerifDlg::~TUrlVerifDlg()
{
    if (m_socket)
        m_socket->abort();
}

QString TUrlVerifDlg::Message() const { return m_label->text(); }

void TUrlVerifDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        // Once the dialog is on screen.
        QTimer::singleShot(0, this, [this] { Start(); });
    }
}

void TUrlVerifDlg::Start()
{
    if (m_host.empty() || m_port <= 0 || m_port > 65535) {
        Fail();
        return;
    }
    m_socket = new QTcpSocket(this);
    // The Web is reachable when a connection opens, not merely when its name
    // resolves: a host that refuses connections cannot be captured.
    connect(m_socket, &QTcpSocket::connected, this, [this] { Succeed(); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { Fail(); });
    m_timeout->start();
    m_socket->connectToHost(QString::fromStdString(m_host), static_cast<quint16>(m_port));
}

void TUrlVerifDlg::Succeed()
{
    if (m_finished)
        return;
    m_finished = true;
    m_reached = true;
    m_timeout->stop();
    m_socket->abort();
    m_label->setText(tr("Web %1 : connection possible").arg(ShownText(m_host)));
}

void TUrlVerifDlg::Fail()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timeout->stop();
    if (m_socket)
        m_socket->abort();
    m_label->setText(tr("%1 : cannot connect to this Web").arg(ShownText(m_host)));
}

} // namespace velbrin
