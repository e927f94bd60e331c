#include "LoopbackServer.h"

#include <httplib.h>

#include <chrono>

LoopbackServer::LoopbackServer(int pageLinks)
    : server_(std::make_unique<httplib::Server>()), pageLinks_(pageLinks)
{
}

LoopbackServer::~LoopbackServer()
{
    server_->stop();
    if (thread_.joinable())
        thread_.join();
}

bool LoopbackServer::start()
{
    // LinkChecker holds itself to 10 requests a second unless the server
    // says it is a test server with this header; the comparison is of the
    // checking, not of that courtesy pause.
    server_->set_default_headers({{"LinkChecker", "benchmark"}});
    server_->Get("/links.html", [this](const httplib::Request&, httplib::Response& response) {
        std::vector<std::string> links;
        for (int i = 0; i < pageLinks_; ++i)
            links.push_back(linkFor(i));
        response.set_content(LinkPageHtml(links), "text/html");
    });
    server_->Get(".*", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("alive", "text/plain");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        return false;
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // The bound socket queues connections already; waiting for the accept
    // loop keeps its start out of the first timed request.
    for (int tries = 0; tries < 5000 && !server_->is_running(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

std::string LoopbackServer::linkFor(int index) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/bookmarks/page-" +
           std::to_string(index) + "/index.html";
}

std::string LoopbackServer::pageUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/links.html";
}

std::string LinkPageHtml(const std::vector<std::string>& links)
{
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                       "<title>Links</title></head><body>\n";
    for (const std::string& link : links)
        html += "<a href=\"" + link + "\">" + link + "</a><br>\n";
    html += "</body></html>\n";
    return html;
}
