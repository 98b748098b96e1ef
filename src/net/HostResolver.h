#pragma once

#include <QHostAddress>
#include <QList>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QObject;

namespace velbrin {

// Turns a host name into addresses. Answers arrive in the event loop, never
// inside Lookup; an answer is dropped when its context object is destroyed
// first.
class THostResolver {
public:
    using TDone = std::function<void(const QList<QHostAddress>& addresses)>;

    virtual ~THostResolver() = default;
    // Calls done with the host's addresses, or with none when the name does not
    // resolve.
    virtual void Lookup(const std::string& host, QObject* context, TDone done) = 0;
};

// The platform's name service.
class TSystemHostResolver final : public THostResolver {
public:
    void Lookup(const std::string& host, QObject* context, TDone done) override;
};

// Digits and exactly three dots: an address that needs no name service (and
// is never looked up in the host cache).
bool IsDottedAddress(std::string_view host);

// The resolver of channels that are not given one: the platform's name service
// unless another one was installed (the tests keep every look-up local).
std::shared_ptr<THostResolver> DefaultHostResolver();
void SetDefaultHostResolver(std::shared_ptr<THostResolver> resolver);

} // namespace velbrin
