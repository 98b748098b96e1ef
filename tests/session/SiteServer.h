#pragma once

// A web site on 127.0.0.1 for the session tests: it answers every request by
// its path with bytes given in advance, records the requests in the order
// they arrived, and counts how many connections were open at the same time.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin::test {

// One answer: the chunks are sent after DelayMs, PauseMs apart, so that each
// reaches the client as a block of its own; then the connection is closed,
// or held open when Hold is set.
struct TAnswer {
    std::vector<std::string> Chunks;
    int DelayMs = 0;
    int PauseMs = 10;
    bool Hold = false;
};

// "HTTP/1.0 200 OK" with the content type, the length and the body.
inline std::string OkResponse(std::string_view type, std::string_view body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: " + std::string(type) + "\r\nContent-Length: "
           + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

inline std::string RedirectResponse(int status, std::string_view location)
{
    std::string body = "<html>moved</html>";
    return "HTTP/1.0 " + std::to_string(status) + " Moved\r\nLocation: " + std::string(location)
           + "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A picture of one transparent pixel.
inline const std::string kTinyGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00!\xF9\x04\x01\x00\x00\x00\x00"
                                  ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                  43);

class TSiteServer {
public:
    TSiteServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { Accept(); });
    }
    ~TSiteServer()
    {
        for (QPointer<QTcpSocket>& socket : m_sockets) {
            if (socket)
                socket->abort();
        }
    }
    TSiteServer(const TSiteServer&) = delete;
    TSiteServer& operator=(const TSiteServer&) = delete;

    quint16 Port() const { return m_server.serverPort(); }
    std::string Root() const { return "http://127.0.0.1:" + std::to_string(Port()); }
    std::string Url(std::string_view path) const { return Root() + std::string(path); }

    // Answers the requests for path. Several answers for one path are given
    // in turn, the last one to every further request. A path without answers
    // is not found.
    void Serve(const std::string& path, TAnswer answer) { m_answers[path].push_back(std::move(answer)); }
    void Serve(const std::string& path, std::string bytes) { Serve(path, TAnswer{{std::move(bytes)}}); }
    void Page(const std::string& path, std::string_view html) { Serve(path, OkResponse("text/html", html)); }
    void Gif(const std::string& path) { Serve(path, OkResponse("image/gif", kTinyGif)); }

    // Requests for path without the line "Authorization: Basic " + credentials
    // are answered 401.
    void Protect(const std::string& path, std::string credentials) { m_protected[path] = std::move(credentials); }

    // Every request received, up to and including its empty line.
    const std::vector<std::string>& Requests() const { return m_requests; }
    // The paths requested, in order.
    const std::vector<std::string>& Paths() const { return m_paths; }
    int Count(std::string_view path) const
    {
        return static_cast<int>(std::count(m_paths.begin(), m_paths.end(), path));
    }
    bool Received(std::string_view path) const { return Count(path) > 0; }
    int Connections() const { return m_connections; }
    // The most connections open at one time.
    int MostOpen() const { return m_mostOpen; }

private:
    struct TReceived {
        std::string Bytes;
        bool Answered = false;
    };

    void Accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            m_mostOpen = std::max(m_mostOpen, ++m_open);
            m_sockets.emplace_back(socket);
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                --m_open;
                socket->deleteLater();
            });
            auto received = std::make_shared<TReceived>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                received->Bytes += socket->readAll().toStdString();
                std::size_t end = received->Bytes.find("\r\n\r\n");
                if (end == std::string::npos || received->Answered)
                    return;
                received->Answered = true;
                std::string request = received->Bytes.substr(0, end + 4);
                m_requests.push_back(request);
                std::string path = PathOf(request);
                m_paths.push_back(path);
                auto guard = m_protected.find(path);
                bool refused = guard != m_protected.end()
                               && request.find("\r\nAuthorization: Basic " + guard->second + "\r\n") == std::string::npos;
                TAnswer answer = refused ? TAnswer{{"HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"r\"\r\n\r\n"}}
                                         : Next(path);
                QPointer<QTcpSocket> guarded(socket);
                QTimer::singleShot(answer.DelayMs, socket,
                                   [this, guarded, answer] { Send(guarded, answer, 0); });
            });
        }
    }

    static std::string PathOf(const std::string& request)
    {
        std::size_t start = request.find(' ');
        std::size_t end = request.find(' ', start + 1);
        if (start == std::string::npos || end == std::string::npos)
            return {};
        return request.substr(start + 1, end - start - 1);
    }

    TAnswer Next(const std::string& path)
    {
        auto it = m_answers.find(path);
        if (it == m_answers.end() || it->second.empty())
            return TAnswer{{"HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html>nothing here</html>"}};
        TAnswer answer = it->second.front();
        if (it->second.size() > 1)
            it->second.pop_front();
        return answer;
    }

    void Send(QPointer<QTcpSocket> socket, TAnswer answer, std::size_t next)
    {
        if (!socket)
            return;
        if (next == answer.Chunks.size()) {
            if (!answer.Hold)
                socket->disconnectFromHost();
            return;
        }
        const std::string& chunk = answer.Chunks[next];
        socket->write(chunk.data(), static_cast<qint64>(chunk.size()));
        socket->flush();
        QTimer::singleShot(answer.PauseMs, socket.data(),
                           [this, socket, answer, next] { Send(socket, answer, next + 1); });
    }

    QTcpServer m_server;
    std::map<std::string, std::deque<TAnswer>> m_answers;
    std::map<std::string, std::string> m_protected;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_paths;
    std::vector<QPointer<QTcpSocket>> m_sockets;
    int m_connections = 0;
    int m_open = 0;
    int m_mostOpen = 0;
};

} // namespace velbrin::test
