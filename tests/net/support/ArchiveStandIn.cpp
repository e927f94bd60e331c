#include "ArchiveStandIn.h"

#include <QUrl>
#include <thread>

ArchiveStandIn::ArchiveStandIn()
    : server_([this](httplib::Server& server) {
          server.Get("/wayback/available",
                     [this](const httplib::Request& request, httplib::Response& response) {
                         answer(request, response);
                     });
      })
{
}

QString ArchiveStandIn::address() const
{
    return QString::fromStdString(server_.url(""));
}

std::vector<ArchiveStandIn::Asked> ArchiveStandIn::asked() const
{
    const std::lock_guard lock(mutex_);
    return asked_;
}

QString ArchiveStandIn::copyOf(const QString& link, const QByteArray& timestamp)
{
    return QStringLiteral("http://web.archive.org/web/") + QString::fromLatin1(timestamp) + u'/' +
           link;
}

void ArchiveStandIn::answer(const httplib::Request& request, httplib::Response& response)
{
    Asked asked{QString::fromStdString(request.get_param_value("url")),
                QByteArray::fromStdString(request.get_param_value("timestamp")),
                request.get_header_value("User-Agent"), request.path,
                std::chrono::steady_clock::now()};
    const std::string host = QUrl(asked.link).host().toStdString();
    int times = 0;
    {
        const std::lock_guard lock(mutex_);
        asked_.push_back(asked);
        times = ++times_[host];
    }
    const std::string found =
        "{\"url\":\"" + asked.link.toStdString() +
        "\",\"archived_snapshots\":{\"closest\":{\"available\":true,\"url\":\"" +
        copyOf(asked.link, asked.timestamp).toStdString() + "\",\"timestamp\":\"" +
        asked.timestamp.toStdString() + "\",\"status\":\"200\"}}}";
    const auto json = [&response](const std::string& body) {
        response.set_content(body, "application/json");
    };
    if (host == "found.test" || (host == "busy.test" && times > 1)) {
        json(found);
    } else if (host == "none.test") {
        json("{\"url\":\"" + asked.link.toStdString() + "\",\"archived_snapshots\":{}}");
    } else if (host == "busy.test" || host == "alwaysbusy.test") {
        response.status = 429;
        response.set_header("Retry-After", "1");
        json("{}");
    } else if (host == "down.test") {
        response.status = 503;
    } else if (host == "slow.test") {
        std::this_thread::sleep_for(SlowAnswer);
        json(found);
    } else if (host == "malformed.test") {
        json("{\"archived_snapshots\": {\"closest\": {");
    } else {
        response.status = 500;
    }
}
