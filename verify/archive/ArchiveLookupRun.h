#pragma once

#include "ArchiveLookups.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

// The lookups of one run on a thread of their own: the questions go in as
// values, and each answer and the end come back as signals on the thread
// that started them. Stopping or destroying it abandons the rest.
class ArchiveLookupRun final : public QObject
{
    Q_OBJECT

public:
    explicit ArchiveLookupRun(QObject* parent = nullptr);
    ~ArchiveLookupRun() override;

    // Starts the lookups unless some are under way; false then.
    bool start(const QString& address, const QList<ArchiveQuestion>& questions,
               const ArchiveManners& manners = {});
    bool running() const { return running_; }
    void stop();

signals:
    void answered(const ArchiveQuestion& question, const ArchiveAnswer& answer);
    void finished(ArchiveEnd end);

private:
    void join();

    std::shared_ptr<std::atomic_bool> cancel_;
    std::thread thread_;
    bool running_ = false;
};
