#include "net/HostResolver.h"

#include "core/Text.h"

#include <QHostInfo>
#include <QString>

#include <algorithm>

namespace velbrin {

namespace {

std::shared_ptr<THostResolver>& InstalledResolver()
{
    static std::shared_ptr<THostResolver> resolver;
    return resolver;
}

} // namespace

void TSystemHostResolver::Lookup(const std::string& host, QObject* context, TDone done)
{
    QHostInfo::lookupHost(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())), context,
                          [done = std::move(done)](const QHostInfo& info) {
                              QList<QHostAddress> addresses;
                              if (info.error() == QHostInfo::NoError)
                                  addresses = info.addresses();
                              // IPv4 first: the host cache and the logs show
                              // dotted addresses where there is one.
                              std::stable_partition(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
                                  return a.protocol() == QAbstractSocket::IPv4Protocol;
                              });
                              done(addresses);
                          });
}

bool IsDottedAddress(std::string_view host)
{
    return IsNumber(host) && CountChar('.', host) == 3;
}

std::shared_ptr<THostResolver> DefaultHostResolver()
{
    std::shared_ptr<THostResolver>& resolver = InstalledResolver();
    if (!resolver)
        resolver = std::make_shared<TSystemHostResolver>();
    return resolver;
}

void SetDefaultHostResolver(std::shared_ptr<THostResolver> resolver)
{
    InstalledResolver() = std::move(resolver);
}

} // namespace velbrin
