// File: tools/sample_server.h
// The sample directory over HTTP: a small loopback server of our own that answers GET requests
// with the directory's pages and QR pictures, shows the chosen faults and logs every request.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/sample_directory.h"

// The head of one request as the server reads it.
struct RequestHead {
    std::string method;
    std::string target;  // as sent: "/qun/100203.html?x=1"
    std::string host;    // the Host header's value, empty when there is none
};

// Reads the request line and the Host header out of the bytes before the blank line; nullopt
// when the request line is not "METHOD TARGET HTTP/x".
[[nodiscard]] std::optional<RequestHead> parse_request_head(std::string_view head);

// What the directory answers to a target.
struct SampleAnswer {
    enum class Way { Whole, Stall, Drop };
    Way way = Way::Whole;
    int status = 200;
    std::string content_type = "text/html; charset=utf-8";
    std::string body;
};

// The answer for target (query ignored), host being what links point to.
[[nodiscard]] SampleAnswer sample_answer(const SampleDirectoryOptions& options, std::string_view host,
                                         std::string_view target);

class SampleDirectoryServer {
public:
    explicit SampleDirectoryServer(SampleDirectoryOptions options = {});
    ~SampleDirectoryServer();
    SampleDirectoryServer(const SampleDirectoryServer&) = delete;
    SampleDirectoryServer& operator=(const SampleDirectoryServer&) = delete;

    // Listens on address (an IPv4 address) and port (0: a free one) and answers on threads of its
    // own. False when it cannot listen there.
    bool start(const std::string& address = "127.0.0.1", uint16_t port = 0);
    // Closes every connection, ends stalls at once, and waits for the threads. Safe to call twice.
    void stop();

    [[nodiscard]] uint16_t port() const { return m_port; }
    // "address:port", as the harvester's directory host.
    [[nodiscard]] std::string host() const;

    // Request targets in the order they arrived.
    [[nodiscard]] std::vector<std::string> requests() const;
    void clear_requests();
    // Called with each target before it is answered, on the connection's thread.
    void set_request_hook(std::function<void(const std::string& target)> hook);

private:
    struct Connection {
        std::thread thread;
        int fd = -1;
        std::atomic<bool> done{false};
    };

    void accept_loop();
    void serve(Connection& connection);
    void reap_finished();
    SampleAnswer answer_for(const std::string& host, const std::string& target);

    const SampleDirectoryOptions m_options;
    std::string m_address;
    uint16_t m_port = 0;
    int m_listen_fd = -1;
    std::thread m_acceptor;
    std::atomic<bool> m_stopping{false};

    std::mutex m_connections_mutex;
    std::list<Connection> m_connections;

    mutable std::mutex m_mutex;  // the log, the hook, the PNG cache and the stall wake-up
    std::condition_variable m_stopped;
    std::vector<std::string> m_requests;
    std::function<void(const std::string&)> m_hook;
    std::map<std::string, SampleAnswer> m_png_cache;
};
