#include "LocalHttpServer.h"

#include <chrono>
#include <stdexcept>

std::string SeenRequest::header(const std::string& name) const
{
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
}

LocalHttpServer::LocalHttpServer(const std::function<void(httplib::Server&)>& addRoutes)
{
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        SeenRequest seen;
        seen.method = request.method;
        seen.path = request.target;
        seen.headers.insert(request.headers.begin(), request.headers.end());
        const std::lock_guard lock(mutex_);
        requests_.push_back(std::move(seen));
        return httplib::Server::HandlerResponse::Unhandled;
    });
    addRoutes(server_);

    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("test server could not bind a port");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // The socket already accepts connections; is_running only tells that the
    // accept loop has begun, so stop() cannot come before it.
    for (int tries = 0; tries < 5000 && !server_.is_running(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalHttpServer::~LocalHttpServer()
{
    server_.stop();
    thread_.join();
}

std::string LocalHttpServer::url(const std::string& path) const
{
    return "http://" + hostAndPort(path);
}

std::string LocalHttpServer::hostAndPort(const std::string& path) const
{
    return "127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<SeenRequest> LocalHttpServer::requests() const
{
    const std::lock_guard lock(mutex_);
    return requests_;
}

SeenRequest LocalHttpServer::lastRequest() const
{
    const std::lock_guard lock(mutex_);
    return requests_.empty() ? SeenRequest() : requests_.back();
}

void LocalHttpServer::clearRequests()
{
    const std::lock_guard lock(mutex_);
    requests_.clear();
}
