// File: tools/sample_server.cpp
// One thread accepts, one thread per connection reads the request head, logs it and answers it,
// then closes the connection (every answer says "Connection: close").
#include "tools/sample_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <charconv>
#include <chrono>

#include "tools/qr_png.h"

namespace {
constexpr size_t kMaxHead = 64 * 1024;

bool iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// The number between prefix and suffix of path, e.g. "/qun/" 100203 ".html".
std::optional<int32_t> number_in(std::string_view path, std::string_view prefix, std::string_view suffix) {
    if (!path.starts_with(prefix) || !path.ends_with(suffix) || path.size() <= prefix.size() + suffix.size()) {
        return std::nullopt;
    }
    const std::string_view digits = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '0') {
        return std::nullopt;
    }
    return value;
}

const char* reason(int status) {
    return status == 200 ? "OK" : "Not Found";
}

bool send_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}
}  // namespace

std::optional<RequestHead> parse_request_head(std::string_view head) {
    const size_t line_end = head.find("\r\n");
    const std::string_view line = head.substr(0, line_end);
    const size_t sp1 = line.find(' ');
    const size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp1 == 0 || sp2 == std::string_view::npos || sp2 == sp1 + 1 || !line.substr(sp2 + 1).starts_with("HTTP/")) {
        return std::nullopt;
    }
    RequestHead out;
    out.method = std::string(line.substr(0, sp1));
    out.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));
    if (out.target.find(' ') != std::string::npos) {
        return std::nullopt;
    }
    size_t at = line_end;
    while (at != std::string_view::npos && at + 2 < head.size()) {
        const size_t next = head.find("\r\n", at + 2);
        const std::string_view field = head.substr(at + 2, next == std::string_view::npos ? next : next - at - 2);
        const size_t colon = field.find(':');
        if (colon != std::string_view::npos && iequal(field.substr(0, colon), "Host")) {
            out.host = std::string(trim(field.substr(colon + 1)));
            break;
        }
        at = next;
    }
    return out;
}

SampleAnswer sample_answer(const SampleDirectoryOptions& options, std::string_view host, std::string_view target) {
    const std::string_view path = target.substr(0, target.find_first_of("?#"));
    SampleAnswer answer;
    int32_t page = 0;
    int32_t item = 0;
    if (path == "/" || path == "/index.html") {
        answer.body = index_html(host);
        return answer;
    }
    if (const auto n = number_in(path, "/wxq-9-", "-or-3-vi-1.html"); n && *n >= 1 && *n <= kSamplePages) {
        page = *n;
        answer.body = listing_html(options, host, page);
    } else if (const auto id = number_in(path, "/qun/", ".html")) {
        if (const auto group = sample_group_by_id(options, *id)) {
            page = group->page;
            item = group->item;
            answer.body = group_html(options, host, *group);
        }
    } else if (const auto qr = number_in(path, "/qr/", ".png")) {
        if (sample_group_by_id(options, *qr)) {
            const Bytes png = make_qr_png(join_address(*qr));
            answer.content_type = "image/png";
            answer.body.assign(png.begin(), png.end());
            return answer;
        }
    }
    if (page == 0 || find_fault(options, FaultKind::NotFound, page, item)) {
        answer.status = 404;
        answer.content_type = "text/html; charset=utf-8";
        answer.body = not_found_html();
    } else if (find_fault(options, FaultKind::Drop, page, item)) {
        answer.way = SampleAnswer::Way::Drop;
    } else if (find_fault(options, FaultKind::Stall, page, item)) {
        answer.way = SampleAnswer::Way::Stall;
    }
    return answer;
}

SampleDirectoryServer::SampleDirectoryServer(SampleDirectoryOptions options) : m_options(std::move(options)) {}

SampleDirectoryServer::~SampleDirectoryServer() {
    stop();
}

bool SampleDirectoryServer::start(const std::string& address, uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (m_listen_fd >= 0 || ::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        return false;
    }
    m_listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(m_listen_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    socklen_t len = sizeof addr;
    if (m_listen_fd < 0 || ::bind(m_listen_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen_fd, 64) != 0 || ::getsockname(m_listen_fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (m_listen_fd >= 0) {
            ::close(m_listen_fd);
        }
        m_listen_fd = -1;
        return false;
    }
    m_address = address;
    m_port = ntohs(addr.sin_port);
    m_stopping = false;
    m_acceptor = std::thread([this] { accept_loop(); });
    return true;
}

void SampleDirectoryServer::stop() {
    if (m_listen_fd < 0) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    ::shutdown(m_listen_fd, SHUT_RDWR);
    m_acceptor.join();
    {
        std::lock_guard lock(m_connections_mutex);
        for (Connection& c : m_connections) {
            ::shutdown(c.fd, SHUT_RDWR);
        }
    }
    for (Connection& c : m_connections) {
        c.thread.join();
    }
    m_connections.clear();
    ::close(m_listen_fd);
    m_listen_fd = -1;
}

std::string SampleDirectoryServer::host() const {
    return m_address + ":" + std::to_string(m_port);
}

std::vector<std::string> SampleDirectoryServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void SampleDirectoryServer::clear_requests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void SampleDirectoryServer::set_request_hook(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(m_mutex);
    m_hook = std::move(hook);
}

void SampleDirectoryServer::accept_loop() {
    for (;;) {
        const int fd = ::accept4(m_listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (m_stopping) {
            if (fd >= 0) {
                ::close(fd);
            }
            return;
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;
        }
        reap_finished();
        std::lock_guard lock(m_connections_mutex);
        Connection& c = m_connections.emplace_back();
        c.fd = fd;
        c.thread = std::thread([this, &c] { serve(c); });
    }
}

void SampleDirectoryServer::reap_finished() {
    std::list<Connection> finished;
    {
        std::lock_guard lock(m_connections_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            auto next = std::next(it);
            if (it->done) {
                finished.splice(finished.end(), m_connections, it);
            }
            it = next;
        }
    }
    for (Connection& c : finished) {
        c.thread.join();
    }
}

SampleAnswer SampleDirectoryServer::answer_for(const std::string& host, const std::string& target) {
    // QR pictures do not depend on the host; each is drawn once.
    const bool picture = target.starts_with("/qr/");
    if (picture) {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_png_cache.find(target); it != m_png_cache.end()) {
            return it->second;
        }
    }
    SampleAnswer answer = sample_answer(m_options, host, target);
    if (picture) {
        std::lock_guard lock(m_mutex);
        m_png_cache.emplace(target, answer);
    }
    return answer;
}

void SampleDirectoryServer::serve(Connection& connection) {
    const int fd = connection.fd;
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHead) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        head.append(buffer, static_cast<size_t>(n));
    }
    const auto request = parse_request_head(head);
    if (request) {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request->target);
            hook = m_hook;
        }
        if (hook) {
            hook(request->target);
        }
        const std::string host = request->host.empty() ? this->host() : request->host;
        SampleAnswer answer;
        if (request->method == "GET" || request->method == "HEAD") {
            answer = answer_for(host, request->target);
        } else {
            answer.status = 404;
            answer.body = not_found_html();
        }
        if (answer.way != SampleAnswer::Way::Drop) {
            const std::string status_line = "HTTP/1.1 " + std::to_string(answer.status) + " " + reason(answer.status);
            const std::string header = status_line + "\r\nContent-Type: " + answer.content_type +
                                       "\r\nContent-Length: " + std::to_string(answer.body.size()) +
                                       "\r\nConnection: close\r\n\r\n";
            std::string_view body = request->method == "HEAD" ? std::string_view() : answer.body;
            if (answer.way == SampleAnswer::Way::Stall) {
                const std::string_view first = body.substr(0, body.size() / 2);
                if (send_all(fd, header) && send_all(fd, first)) {
                    std::unique_lock lock(m_mutex);
                    m_stopped.wait_for(lock, std::chrono::milliseconds(m_options.stall_ms),
                                       [this] { return m_stopping.load(); });
                }
                body.remove_prefix(body.size() / 2);
                if (!m_stopping) {
                    send_all(fd, body);
                }
            } else {
                send_all(fd, header + std::string(body));
            }
        }
    }
    {
        std::lock_guard lock(m_connections_mutex);
        ::close(fd);
        connection.fd = -1;
    }
    connection.done = true;
}
