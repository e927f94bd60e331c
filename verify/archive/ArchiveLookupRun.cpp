#include "ArchiveLookupRun.h"

#include <QPointer>

ArchiveLookupRun::ArchiveLookupRun(QObject* parent) : QObject(parent) {}

ArchiveLookupRun::~ArchiveLookupRun()
{
    stop();
}

void ArchiveLookupRun::join()
{
    if (thread_.joinable())
        thread_.join();
}

bool ArchiveLookupRun::start(const QString& address, const QList<ArchiveQuestion>& questions,
                             const ArchiveManners& manners)
{
    if (running_)
        return false;
    join();
    running_ = true;
    cancel_ = std::make_shared<std::atomic_bool>(false);
    const QPointer<ArchiveLookupRun> self(this);
    auto cancel = cancel_;
    thread_ = std::thread([self, cancel, address, questions, manners] {
        ArchiveLookups lookups(address, manners, *cancel);
        // Queued to this object's thread, and dropped there once it was stopped.
        const auto post = [self, cancel](auto deliver) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, cancel, deliver] {
                    if (self && !cancel->load())
                        deliver(*self);
                },
                Qt::QueuedConnection);
        };
        const ArchiveEnd end = lookups.run(
            questions, [&post](const ArchiveQuestion& question, const ArchiveAnswer& answer) {
                post([question, answer](ArchiveLookupRun& run) {
                    emit run.answered(question, answer);
                });
            });
        post([end](ArchiveLookupRun& run) {
            run.running_ = false;
            emit run.finished(end);
        });
    });
    return true;
}

void ArchiveLookupRun::stop()
{
    if (cancel_)
        cancel_->store(true);
    join();
    running_ = false;
}
