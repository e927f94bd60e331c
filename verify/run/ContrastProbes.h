#pragma once

#include "ProbeResult.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class BookmarkNode;

// The made-up addresses a run asks for, one per site and pattern (see
// ContrastAddress), with the answers they got and the links waiting for
// them.
class ContrastProbes final
{
public:
    // A link whose answer waits for its site's answer to a made-up address.
    struct Waiting
    {
        BookmarkNode* node; // null once removed from the tree
        QString link;
        QString host;
        int attempt;
        ProbeResult answer;
        ProbeResult firstAnswer;
    };

    // The made-up address's answer for pattern, once it has come.
    std::optional<ProbeResult> answerFor(const QString& pattern) const;
    // Whether links wait for pattern's answer, its made-up address asked.
    bool isAwaited(const QString& pattern) const { return waiting_.contains(pattern); }
    // Lets link wait for pattern's answer; true when it is the first, and
    // the made-up address is to be asked for.
    bool wait(const QString& pattern, Waiting link);
    // The made-up address of pattern went out with ticket.
    void asking(quint64 ticket, const QString& pattern);
    bool isAsking(quint64 ticket) const { return asking_.contains(ticket); }
    // Keeps the answer to the made-up address of ticket; the links that
    // waited for it.
    std::vector<Waiting> answered(quint64 ticket, const ProbeResult& answer);
    // The made-up address of ticket is not to be asked after all; the links
    // that waited for it, with no answer kept.
    std::vector<Waiting> dropped(quint64 ticket);
    // The links still waiting, for a run that stops.
    std::vector<Waiting> takeAllWaiting();
    // Forgets the waiting links in the subtree of top; how many of them
    // were second opinions.
    int forgetWithin(const BookmarkNode* top);
    void clear();

private:
    QHash<QString, ProbeResult> answers_;
    QHash<QString, std::vector<Waiting>> waiting_;
    QHash<quint64, QString> asking_;
};
