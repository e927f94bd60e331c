#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

// An HTTP server on 127.0.0.1 and a free port, on a thread of its own. Every
// path answers 200 with a short body, except "/links.html", a page that
// links to the first pageLinks addresses of linkFor().
class LoopbackServer final
{
public:
    explicit LoopbackServer(int pageLinks = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // False when no port could be bound.
    bool start();
    int port() const { return port_; }

    // A distinct address on this server for every index, of a length like
    // real bookmarks have.
    std::string linkFor(int index) const;
    std::string pageUrl() const;

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int pageLinks_;
    int port_ = -1;
};

// The HTML page that lists links as anchors, one per line.
std::string LinkPageHtml(const std::vector<std::string>& links);
