#include "ArchiveStandIn.h"

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
    std::string word = "error";
    for (const char* each : {"alwaysbusy", "busy", "found", "none", "down", "slow", "malformed"}) {
        if (asked.link.contains(QLatin1String(each))) {
            word = each;
            break;
        }
    }
    int times = 0;
    {
        const std::lock_guard lock(mutex_);
        asked_.push_back(asked);
        times = ++times_[word];
    }
    const std::string found =
        "{\"url\":\"" + asked.link.toStdString() +
        "\",\"archived_snapshots\":{\"closest\":{\"available\":true,\"url\":\"" +
        copyOf(asked.link, asked.timestamp).toStdString() + "\",\"timestamp\":\"" +
        asked.timestamp.toStdString() + "\",\"status\":\"200\"}}}";
    const auto json = [&response](const std::string& body) {
        response.set_content(body, "application/json");
    };
    if (word == "found" || (word == "busy" && times > 1)) {
        json(found);
    } else if (word == "none") {
        json("{\"url\":\"" + asked.link.toStdString() + "\",\"archived_snapshots\":{}}");
    } else if (word == "busy" || word == "alwaysbusy") {
        response.status = 429;
        response.set_header("Retry-After", "1");
        json("{}");
    } else if (word == "down") {
        response.status = 503;
    } else if (word == "slow") {
        std::this_thread::sleep_for(SlowAnswer);
        json(found);
    } else if (word == "malformed") {
        json("{\"archived_snapshots\": {\"closest\": {");
    } else {
        response.status = 500;
    }
}
