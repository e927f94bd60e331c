#pragma once

#include <httplib.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What a test server saw of one request.
struct SeenRequest
{
    std::string method;
    std::string path; // as it came on the request line, before decoding
    httplib::Headers headers;

    bool hasHeader(const std::string& name) const { return headers.count(name) > 0; }
    std::string header(const std::string& name) const;
};

// An HTTP server on 127.0.0.1 and a free port, serving the routes the test
// gives it on a thread of its own, and remembering every request it got.
class LocalHttpServer final
{
public:
    explicit LocalHttpServer(const std::function<void(httplib::Server&)>& addRoutes);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string url(const std::string& path) const;
    // "127.0.0.1:<port>" followed by path, with no scheme.
    std::string hostAndPort(const std::string& path) const;

    std::vector<SeenRequest> requests() const;
    SeenRequest lastRequest() const;
    // Forgets what was seen, so a long test does not keep every request.
    void clearRequests();

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
    mutable std::mutex mutex_;
    std::vector<SeenRequest> requests_;
};
