#include "net/TlsSettings.h"

#include <QFile>
#include <QSslCertificate>

namespace velbrin {

std::string LoadTlsSettings(std::string_view caFile, bool ignoreCertificateErrors, TTlsSettings& settings)
{
    settings.IgnoreCertificateErrors = ignoreCertificateErrors;
    settings.CaCertificates.clear();
    if (caFile.empty())
        return {};

    const std::string name(caFile);
    QFile file(QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size())));
    if (!file.open(QIODevice::ReadOnly))
        return "Cannot read the certificate authorities file " + name + ": "
               + file.errorString().toLocal8Bit().toStdString();
    const QByteArray pem = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return "Cannot read the certificate authorities file " + name + ": "
               + file.errorString().toLocal8Bit().toStdString();

    const QList<QSslCertificate> certificates = QSslCertificate::fromData(pem, QSsl::Pem);
    for (const QSslCertificate& certificate : certificates) {
        if (certificate.isNull())
            continue;
        QByteArray der = certificate.toDer();
        settings.CaCertificates.emplace_back(der.constData(), static_cast<std::size_t>(der.size()));
    }
    if (settings.CaCertificates.empty())
        return "The certificate authorities file " + name + " holds no PEM certificate";
    return {};
}

} // namespace velbrin
