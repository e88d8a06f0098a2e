// File: tests/support/recording_server.cpp
// One accepting thread and one thread per connection; every answer closes its connection.
#include "support/recording_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

struct RecordingServer::Connection {
    int fd = -1;
    std::atomic<bool> done{false};
    std::thread thread;
};

Response Response::redirect(int status, std::string location) {
    Response r;
    r.status = status;
    r.reason = "Redirect";
    r.headers = {{"Location", std::move(location)}};
    return r;
}

namespace {

bool send_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Reads one request (header block and a Content-Length body); empty when the peer went away.
std::string read_request(int fd) {
    std::string data;
    char buffer[4096];
    size_t body_start = std::string::npos;
    size_t want = 0;
    for (;;) {
        if (body_start == std::string::npos) {
            const size_t end = data.find("\r\n\r\n");
            if (end != std::string::npos) {
                body_start = end + 4;
                const std::string head = data.substr(0, end + 2);
                size_t line = 0;
                while (line < head.size()) {
                    const size_t next = head.find("\r\n", line);
                    const std::string text = head.substr(line, next - line);
                    if (strncasecmp(text.c_str(), "Content-Length:", 15) == 0) {
                        want = std::strtoull(text.c_str() + 15, nullptr, 10);
                    }
                    line = next + 2;
                }
            }
        }
        if (body_start != std::string::npos && data.size() >= body_start + want) {
            return data;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return body_start == std::string::npos ? std::string() : data;
        }
        data.append(buffer, static_cast<size_t>(n));
        if (data[0] == '\x16') {
            return std::string();  // a TLS hello: this server speaks plain HTTP only
        }
    }
}

std::string target_of(const std::string& request) {
    const size_t a = request.find(' ');
    const size_t b = request.find(' ', a + 1);
    return a == std::string::npos || b == std::string::npos ? std::string() : request.substr(a + 1, b - a - 1);
}

std::string hex(size_t n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%zx", n);
    return buffer;
}

}  // namespace

RecordingServer::RecordingServer() {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 64) != 0) {
        std::perror("RecordingServer");
        std::abort();
    }
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptor = std::thread([this] { accept_loop(); });
}

RecordingServer::~RecordingServer() {
    std::vector<std::shared_ptr<Connection>> connections;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        connections = m_connections;
        for (const auto& c : connections) {
            ::shutdown(c->fd, SHUT_RDWR);
        }
    }
    m_changed.notify_all();
    ::shutdown(m_listen, SHUT_RDWR);
    m_acceptor.join();
    ::close(m_listen);
    for (const auto& c : connections) {
        c->thread.join();
        ::close(c->fd);
    }
}

std::string RecordingServer::url(std::string_view path_and_query) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path_and_query);
}

void RecordingServer::route(std::string path, Response response) {
    std::lock_guard lock(m_mutex);
    m_routes[std::move(path)] = std::move(response);
}

std::vector<std::string> RecordingServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool RecordingServer::wait_for_requests(size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= n; });
}

void RecordingServer::clear_requests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void RecordingServer::accept_loop() {
    for (;;) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            if (fd >= 0) {
                ::close(fd);
            }
            return;
        }
        if (fd < 0) {
            continue;
        }
        // Finished connections are reaped here so that long runs (benchmarks) keep few threads.
        std::erase_if(m_connections, [](const std::shared_ptr<Connection>& c) {
            if (!c->done) {
                return false;
            }
            c->thread.join();
            ::close(c->fd);
            return true;
        });
        auto connection = std::make_shared<Connection>();
        connection->fd = fd;
        connection->thread = std::thread([this, connection] { serve(connection); });
        m_connections.push_back(connection);
    }
}

Response RecordingServer::response_for(const std::string& target) const {
    std::lock_guard lock(m_mutex);
    auto it = m_routes.find(target);
    if (it == m_routes.end()) {
        it = m_routes.find(target.substr(0, target.find_first_of("?#")));
    }
    if (it != m_routes.end()) {
        return it->second;
    }
    Response missing;
    missing.status = 404;
    missing.reason = "Not Found";
    missing.body = "not found";
    return missing;
}

void RecordingServer::hang() const {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopping; });
}

void RecordingServer::serve(const std::shared_ptr<Connection>& connection) {
    const int fd = connection->fd;
    const std::string request = read_request(fd);
    if (!request.empty()) {
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        m_changed.notify_all();
        const Response r = response_for(target_of(request));
        if (r.stall_before_headers) {
            hang();
        } else if (!r.raw.empty()) {
            send_all(fd, r.raw);
        } else {
            std::string head = "HTTP/1.1 " + std::to_string(r.status) + " " + r.reason + "\r\n";
            for (const auto& [name, value] : r.headers) {
                head += name + ": " + value + "\r\n";
            }
            head += r.chunked ? "Transfer-Encoding: chunked\r\n"
                              : "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
            head += "Connection: close\r\n\r\n";
            std::string body;
            if (r.chunked) {
                for (size_t at = 0; at < r.body.size(); at += r.chunk_size) {
                    const std::string piece = r.body.substr(at, r.chunk_size);
                    body += hex(piece.size()) + "\r\n" + piece + "\r\n";
                }
                body += "0\r\n\r\n";
            } else {
                body = r.body;
            }
            const std::optional<size_t> stop = r.stall_after ? r.stall_after : r.cut_after;
            if (send_all(fd, head) && send_all(fd, std::string_view(body).substr(0, stop.value_or(body.size())))) {
                if (r.stall_after) {
                    hang();
                }
            }
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    connection->done = true;
}
