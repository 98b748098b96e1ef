#pragma once

// Helpers of the network tests: a resolver that answers from a table, a
// server on 127.0.0.1 that answers with scripted bytes, and a way to let the
// event loop run until something happened.

#include "net/HostResolver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velbrin::testing {

// Lets the event loop run until done() holds or timeoutMs passed; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// Lets the event loop run for ms milliseconds.
inline void RunEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

// A port of 127.0.0.1 where nobody listens.
inline quint16 ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// Answers from its table, from the event loop; a name not in the table does
// not resolve. Counts the look-ups of every name.
class TFakeResolver final : public THostResolver {
public:
    void Add(const std::string& host, const QString& address) { m_table[host].append(QHostAddress(address)); }
    // Look-ups of host never answer.
    void Hang(const std::string& host) { m_hanging.push_back(host); }
    int Lookups(const std::string& host) const
    {
        auto it = m_lookups.find(host);
        return it == m_lookups.end() ? 0 : it->second;
    }

    void Lookup(const std::string& host, QObject* context, TDone done) override
    {
        ++m_lookups[host];
        for (const std::string& name : m_hanging) {
            if (name == host)
                return;
        }
        QList<QHostAddress> addresses = m_table.count(host) ? m_table.at(host) : QList<QHostAddress>();
        QTimer::singleShot(0, context, [done, addresses] { done(addresses); });
    }

private:
    std::map<std::string, QList<QHostAddress>> m_table;
    std::map<std::string, int> m_lookups;
    std::vector<std::string> m_hanging;
};

// One scripted answer: the chunks sent once the request has arrived, each
// after a pause so that it reaches the client as a block of its own; then the
// connection is closed, or held open when Hold is set.
struct TScript {
    std::vector<std::string> Chunks;
    bool Hold = false;
    int PauseMs = 30;
};

// A server on 127.0.0.1 that answers each connection with the next script.
// It records every request it received, up to and including the empty line.
class TScriptedServer {
public:
    TScriptedServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { Accept(); });
    }
    ~TScriptedServer()
    {
        for (QPointer<QTcpSocket>& socket : m_sockets) {
            if (socket)
                socket->abort();
        }
    }

    quint16 Port() const { return m_server.serverPort(); }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(Port()) + path; }
    void Add(TScript script) { m_scripts.push_back(std::move(script)); }
    void Add(const std::string& response) { m_scripts.push_back({{response}, false, 30}); }

    const std::vector<std::string>& Requests() const { return m_requests; }
    int Connections() const { return m_connections; }

private:
    void Accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            m_sockets.emplace_back(socket);
            TScript script;
            if (!m_scripts.empty()) {
                script = std::move(m_scripts.front());
                m_scripts.pop_front();
            }
            struct TReceived {
                std::string Bytes;
                bool Answered = false;
            };
            auto received = std::make_shared<TReceived>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received, script] {
                received->Bytes += socket->readAll().toStdString();
                std::size_t end = received->Bytes.find("\r\n\r\n");
                if (end == std::string::npos || received->Answered)
                    return;
                received->Answered = true;
                m_requests.push_back(received->Bytes.substr(0, end + 4));
                SendNext(socket, script, 0);
            });
        }
    }

    void SendNext(QPointer<QTcpSocket> socket, TScript script, std::size_t next)
    {
        if (!socket)
            return;
        if (next == script.Chunks.size()) {
            if (!script.Hold)
                socket->disconnectFromHost();
            return;
        }
        socket->write(script.Chunks[next].data(), static_cast<qint64>(script.Chunks[next].size()));
        socket->flush();
        QTimer::singleShot(script.PauseMs, socket, [this, socket, script, next] { SendNext(socket, script, next + 1); });
    }

    QTcpServer m_server;
    std::deque<TScript> m_scripts;
    std::vector<std::string> m_requests;
    std::vector<QPointer<QTcpSocket>> m_sockets;
    int m_connections = 0;
};

} // namespace velbrin::testing
