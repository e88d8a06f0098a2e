// File: tests/support/recording_server.h
// A small HTTP server for tests on 127.0.0.1 (a port the system picks) that keeps the raw bytes
// of every request it receives and answers each path with a scripted response: status, header
// lines in order, a body sent whole or chunked, cut off, stalled or as raw bytes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

struct Response {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;  // sent in this order
    std::string body;
    bool chunked = false;  // body in chunks of chunk_size, no Content-Length
    size_t chunk_size = 1000;
    std::optional<size_t> cut_after;    // close the connection after this many body bytes
    std::optional<size_t> stall_after;  // send this many body bytes (0: headers only), then hang
    bool stall_before_headers = false;  // read the request, then hang without answering
    std::string raw;                    // when not empty: sent as it is instead of all the above

    static Response redirect(int status, std::string location);
};

class RecordingServer {
public:
    RecordingServer();  // listening once constructed
    ~RecordingServer();
    RecordingServer(const RecordingServer&) = delete;
    RecordingServer& operator=(const RecordingServer&) = delete;

    uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by path_and_query.
    std::string url(std::string_view path_and_query = "/") const;

    // Answers requests whose target is path (exactly, or with its query and fragment left off).
    // Unrouted targets get a 404 with the body "not found".
    void route(std::string path, Response response);

    // The raw bytes of every complete request so far (request line, header lines, body), in the
    // order they arrived.
    std::vector<std::string> requests() const;
    // Waits at most timeout until n requests have arrived; false when they did not.
    bool wait_for_requests(size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    void clear_requests();

private:
    struct Connection;
    void accept_loop();
    void serve(const std::shared_ptr<Connection>& connection);
    Response response_for(const std::string& target) const;
    void hang() const;

    int m_listen = -1;
    uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    std::map<std::string, Response> m_routes;
    std::vector<std::string> m_requests;
    std::vector<std::shared_ptr<Connection>> m_connections;
    std::thread m_acceptor;
};
