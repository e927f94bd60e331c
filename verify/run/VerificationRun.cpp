#include "VerificationRun.h"

#include "BookmarkModel.h"
#include "Contrast.h"
#include "ContrastAddress.h"
#include "MovedLink.h"
#include "ProbeAddress.h"
#include "ProbeTarget.h"
#include "VerdictLamp.h"

#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// Enough waiting links that a host at its limit never leaves the worker short
// of others to start, and that it never waits for the main thread: verdicts,
// and with them new links, come in batches up to 20 ms apart, and 256 links
// last that long even at over 10,000 answers a second.
size_t linksAheadFor(int linksAtOnce)
{
    return size_t(std::max(4 * linksAtOnce, 256));
}

ProbeResult withContrast(ProbeResult result, const ProbeResult& madeUp)
{
    result.contrast = CompareContrast(result, madeUp);
    return result;
}

} // namespace

VerificationRun::VerificationRun(BookmarkModel& tree,
                                 std::shared_ptr<const SharedProxySettings> settings,
                                 std::unique_ptr<ProbeEngine> engine, int linksAtOnce,
                                 QObject* parent)
    : QObject(parent), tree_(tree),
      worker_(std::make_unique<TMyThread>(std::move(engine), std::move(settings), linksAtOnce)),
      walk_(tree), linksAtOnce_(linksAtOnce), linksAhead_(linksAheadFor(linksAtOnce))
{
    // Delivered on this thread; the worker is told to finish only once every
    // verdict has been delivered, so a direct call keeps them ahead of ended().
    connect(worker_.get(), &TMyThread::probed, this, &VerificationRun::onProbed);
    connect(worker_.get(), &TMyThread::hostGivenUp, this, &VerificationRun::onHostGivenUp);
    connect(worker_.get(), &QThread::finished, this, &VerificationRun::onWorkerFinished,
            Qt::QueuedConnection);
    connect(&tree_, &BookmarkModel::nodeAboutToBeRemoved, this,
            &VerificationRun::onNodeAboutToBeRemoved);
    setMaxHostWait(Settings::DefaultMaxHostWait);
}

VerificationRun::~VerificationRun()
{
    abort();
}

void VerificationRun::setWorkerStackSize(uint bytes)
{
    worker_->setStackSize(bytes);
}

void VerificationRun::setJudgeMode(JudgeMode mode)
{
    mode_ = mode;
    worker_->setReadsPages(mode == JudgeMode::Person);
    // The old rule asks each link once, in turn, and holds back no host.
    worker_->setHoldsHosts(mode == JudgeMode::Person);
}

void VerificationRun::setSecondOpinionDelay(int ms)
{
    again_.setDelay(ms);
    worker_->setSlowDownPause(ms);
}

void VerificationRun::setMaxHostWait(int seconds)
{
    const qint64 ms = qint64(std::max(seconds, 0)) * 1000;
    worker_->setHostWaitBudget(ms);
    again_.setLongestWait(ms);
}

void VerificationRun::limitTo(std::vector<BookmarkNode*> tops)
{
    walk_ = RunWalk(tree_, std::move(tops));
}

bool VerificationRun::start()
{
    worker_->start();
    if (!worker_->isRunning())
        return false;
    clock_.start();
    walk_.begin();
    tally_.links = uncheckedLinks(nullptr);
    handOutNext();
    return true;
}

void VerificationRun::stop()
{
    stopClock();
    stopRequested_ = true;
    walk_.stop();
    if (mode_ == JudgeMode::Strict && linksAtOnce_ == 1)
        takeBackWaitingLinks();
    else
        abandonTransfers();
    for (const SecondPass::Waiting& waiting : again_.takeAll()) {
        if (aborted_)
            return;
        settleUnsettled(waiting.node, waiting.firstAnswer, waiting.attempts, Verdict::Unsure);
    }
    // Links that waited for a made-up address are left to their own answer.
    judgeWaiting(contrast_.takeAllWaiting(), std::nullopt);
    if (pending_.empty())
        finishWorker();
}

void VerificationRun::abort()
{
    stopClock();
    stopRequested_ = true;
    aborted_ = true;
    walk_.stop();
    pending_.clear();
    again_.clear();
    contrast_.clear();
    offline_.clear();
    limited_.clear();
    // A cancelled probe's verdict says nothing about the link; drop it.
    disconnect(worker_.get(), &TMyThread::probed, this, nullptr);
    worker_->abort();
    worker_->wait();
}

bool VerificationRun::isWorkerRunning() const
{
    return worker_->isRunning();
}

void VerificationRun::handOutNext()
{
    if (aborted_)
        return;
    handOutFirstPass();
    const bool firstPassOver = walk_.atEnd() && pending_.empty();
    if (firstPassOver && !stopRequested_ && !tally_.secondPass && !again_.empty()) {
        again_.order();
        tally_.secondPass = true;
        emit tallied(this);
    }
    if (tally_.secondPass)
        handOutSecondPass();
    if (pending_.empty())
        finishWorker();
}

void VerificationRun::handOutFirstPass()
{
    while (!walk_.atEnd() && !stopRequested_ && pending_.size() < linksAhead_) {
        BookmarkNode* node = walk_.next();
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry || entry->IsFolder)
            continue;
        if (entry->Link.trimmed().isEmpty()) {
            ++tally_.noLink;
            settle(node, {{}, NoLinkJudgement(), 0}, std::nullopt, false);
        } else if (const std::optional<QString> link = LinkToProbe(entry->Link, mode_)) {
            QString host = ProbeHost(*link);
            if (givenUp_.contains(host))
                limited_.push_back({node, std::move(host), {}, 0, std::nullopt});
            else
                submit(node, *link, host, 1, {}, 0);
        } else
            settle(node, {{}, NotWebLinkJudgement(), 0}, std::nullopt, false);
    }
}

void VerificationRun::handOutSecondPass()
{
    while (!stopRequested_ && !again_.empty() && pending_.size() < linksAhead_) {
        const SecondPass::Waiting waiting = again_.takeNext();
        submit(waiting.node, waiting.link, waiting.host, waiting.attempts + 1, waiting.firstAnswer,
               waiting.due);
    }
}

void VerificationRun::submit(BookmarkNode* node, const QString& link, const QString& host,
                             int attempt, const ProbeResult& firstAnswer, qint64 notBefore)
{
    pending_.push_back({nextTicket_++, node, link, host, attempt, firstAnswer});
    worker_->submit(pending_.back().ticket, link, host, notBefore);
}

void VerificationRun::finishWorker()
{
    if (aborted_)
        return;
    if (!settled_) {
        settled_ = true;
        settleLimitedLinks();
        settleOfflineLinks();
    }
    worker_->finish();
}

RunTally VerificationRun::tally() const
{
    RunTally now = tally_;
    if (!clockStopped_ && clock_.isValid()) {
        now.elapsedMs = clock_.elapsed();
        if (const auto hold = worker_->hostHold()) {
            now.waitingFor = hold->host;
            now.waitLeftMs = hold->leftMs;
        }
    }
    return now;
}

void VerificationRun::stopClock()
{
    if (clockStopped_)
        return;
    tally_.elapsedMs = clock_.isValid() ? clock_.elapsed() : 0;
    clockStopped_ = true;
}

// A run begins on links reset to no verdict, so these are the ones it has
// still to check, those in flight included.
int VerificationRun::uncheckedLinks(BookmarkNode* within) const
{
    return walk_.count(within, [](const BookmarkEntry& entry) {
        return !entry.IsFolder && entry.Status == StatusUnverified;
    });
}

void VerificationRun::onProbed(quint64 ticket, const ProbeResult& result)
{
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [ticket](const Pending& p) { return p.ticket == ticket; });
    if (it == pending_.end())
        return;
    const Pending probed = std::move(*it);
    pending_.erase(it);
    if (contrast_.isAsking(ticket)) {
        judgeWaiting(contrast_.answered(ticket, result), result);
    } else {
        // An answer says the network works even when its link is gone since.
        noteEvidence(probed, result);
        if (probed.node)
            judge(probed, result);
    }
    handOutNext();
}

void VerificationRun::onHostGivenUp(const QString& host)
{
    if (stopRequested_)
        return;
    givenUp_.insert(host);
    // Its links waiting for the worker are taken back; those being asked
    // are judged on their answer. A made-up address taken back leaves the
    // links that waited for it to their own answer.
    std::vector<ContrastProbes::Waiting> unanswered;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->host != host || !worker_->revoke(it->ticket)) {
            ++it;
            continue;
        }
        if (contrast_.isAsking(it->ticket)) {
            --tally_.madeUp;
            std::ranges::move(contrast_.dropped(it->ticket), std::back_inserter(unanswered));
        }
        if (it->node && it->attempt > 1) {
            --tally_.again;
            limited_.push_back({it->node, host, it->firstAnswer, it->attempt - 1, Verdict::Unsure});
        } else if (it->node) {
            limited_.push_back({it->node, host, {}, 0, std::nullopt});
        }
        it = pending_.erase(it);
    }
    for (const SecondPass::Waiting& waiting : again_.takeHost(host)) {
        --tally_.again;
        limited_.push_back(
            {waiting.node, host, waiting.firstAnswer, waiting.attempts, Verdict::Unsure});
    }
    judgeWaiting(unanswered, std::nullopt);
    handOutNext();
}

void VerificationRun::settleLimitedLinks()
{
    QHash<QString, int> limitedOf;
    for (const Limited& limited : limited_)
        ++limitedOf[limited.host];
    for (const Limited& limited : std::exchange(limited_, {})) {
        if (aborted_)
            return;
        const int checked = answeredLinks_.value(limited.host);
        const Judgement judgement =
            HostLimitJudgement(checked, checked + limitedOf.value(limited.host));
        settle(limited.node, {limited.result, judgement, limited.attempts}, limited.counted, false);
    }
}

void VerificationRun::noteEvidence(const Pending& probed, const ProbeResult& result)
{
    // A malformed redirect is an answer all the same: the server is there.
    if (result.outcome != ProbeOutcome::Answered &&
        result.outcome != ProbeOutcome::MalformedRedirect)
        return;
    ++tally_.answered;
    evidence_.serverAnswered = true;
    if (!evidence_.hostNameAnswered)
        evidence_.hostNameAnswered = HostIsName(probed.host);
}

void VerificationRun::judge(const Pending& probed, const ProbeResult& result)
{
    if (judgedWithContrast(probed, result))
        return;
    const bool secondOpinion = probed.attempt > 1;
    tally_.checkedAgain += secondOpinion;
    const Judgement judgement = JudgeProbe(result, mode_, evidence_, secondOpinion);
    if (!judgement.askAgain) {
        const std::optional<Verdict> counted =
            secondOpinion ? std::optional(Verdict::Unsure) : std::nullopt;
        settle(probed.node, {result, judgement, probed.attempt}, counted, false);
        ++answeredLinks_[probed.host];
    } else if (stopRequested_) {
        settleUnsettled(probed.node, result, probed.attempt, std::nullopt);
    } else if (givenUp_.contains(probed.host)) {
        limited_.push_back({probed.node, probed.host, result, probed.attempt, std::nullopt});
    } else {
        askAgainLater(probed, result, judgement);
    }
}

bool VerificationRun::judgedWithContrast(const Pending& probed, const ProbeResult& result)
{
    if (mode_ != JudgeMode::Person || stopRequested_ ||
        result.contrast != ContrastAnswer::NotAsked || !NeedsContrast(result))
        return false;
    const std::optional<ContrastAddress> address =
        ContrastAddressFor(probed.link, *QRandomGenerator::global());
    if (!address)
        return false;
    if (const std::optional<ProbeResult> known = contrast_.answerFor(address->pattern)) {
        judge(probed, withContrast(result, *known));
        return true;
    }
    // A host given up gets no made-up request: the link goes by its own
    // answer, unless one already asked is on its way.
    if (givenUp_.contains(probed.host) && !contrast_.isAwaited(address->pattern))
        return false;
    const bool first =
        contrast_.wait(address->pattern, {probed.node, probed.link, probed.host, probed.attempt,
                                          result, probed.firstAnswer});
    if (first) {
        // Handed to the worker as any link of the host is: within its
        // limit, and held while the host asked for a pause.
        submit(nullptr, address->madeUp, probed.host, 0, {}, 0);
        contrast_.asking(pending_.back().ticket, address->pattern);
        ++tally_.madeUp;
    }
    return true;
}

void VerificationRun::judgeWaiting(const std::vector<ContrastProbes::Waiting>& links,
                                   const std::optional<ProbeResult>& madeUp)
{
    for (const ContrastProbes::Waiting& waiting : links) {
        if (aborted_)
            return;
        if (!waiting.node)
            continue;
        judge({0, waiting.node, waiting.link, waiting.host, waiting.attempt, waiting.firstAnswer},
              madeUp ? withContrast(waiting.answer, *madeUp) : waiting.answer);
    }
}

void VerificationRun::askAgainLater(const Pending& probed, const ProbeResult& result,
                                    const Judgement& judgement)
{
    again_.wait(probed.node, probed.link, probed.host, result, probed.attempt);
    ++tally_.again;
    store(probed.node, judgement);
    tally_.recount(std::nullopt, judgement.verdict);
    emit tallied(this);
}

void VerificationRun::settle(BookmarkNode* node, const LinkVerdict& verdict,
                             std::optional<Verdict> counted, bool unsettled)
{
    const bool moved = isMoved(node, verdict);
    store(node, verdict.judgement, moved);
    tally_.recount(counted, verdict.judgement.verdict);
    tally_.moved += int(moved);
    // Before the end of the run, a later answer of another link may yet
    // show that the network works.
    if (verdict.judgement.noNetwork && !settled_) {
        offline_.push_back({node, verdict.result, verdict.attempts, unsettled});
        ++tally_.noNetwork;
    } else {
        emit verdictStored(node, verdict);
    }
    emit tallied(this);
}

void VerificationRun::settleUnsettled(BookmarkNode* node, const ProbeResult& result, int attempts,
                                      std::optional<Verdict> counted)
{
    settle(node, {result, UnsettledJudgement(result, evidence_), attempts}, counted, true);
}

void VerificationRun::settleOfflineLinks()
{
    for (const Offline& offline : std::exchange(offline_, {})) {
        if (aborted_)
            return;
        const Judgement judgement = offline.unsettled
                                        ? UnsettledJudgement(offline.result, evidence_)
                                        : JudgeProbe(offline.result, mode_, evidence_, true);
        if (!judgement.noNetwork) {
            --tally_.noNetwork;
            store(offline.node, judgement);
            tally_.recount(Verdict::Unsure, judgement.verdict);
        }
        emit verdictStored(offline.node, {offline.result, judgement, offline.attempts});
    }
    emit tallied(this);
}

void VerificationRun::store(BookmarkNode* node, const Judgement& judgement, bool moved)
{
    if (moved)
        tree_.setStatus(node, StatusMoved, QStringLiteral("Moved: ") + judgement.reason);
    else
        tree_.setStatus(node, StatusOfVerdict(judgement.verdict), judgement.text);
}

bool VerificationRun::isMoved(const BookmarkNode* node, const LinkVerdict& verdict) const
{
    // The strict rule keeps the old lamps: alive or dead, nothing between.
    return node && mode_ == JudgeMode::Person && verdict.judgement.verdict == Verdict::Alive &&
           CountsAsMoved(node->entry, verdict.result.finalAddress,
                         verdict.result.permanentRedirects);
}

void VerificationRun::onNodeAboutToBeRemoved(BookmarkNode* node)
{
    // Links deleted before their verdict will never be checked.
    tally_.links -= uncheckedLinks(node);
    const int forgotten = again_.forgetWithin(node);
    tally_.again -= forgotten + contrast_.forgetWithin(node);
    const auto offline = std::remove_if(offline_.begin(), offline_.end(), [node](const Offline& p) {
        return BookmarkModel::isInSubtree(p.node, node);
    });
    tally_.noNetwork -= int(offline_.end() - offline);
    offline_.erase(offline, offline_.end());
    std::erase_if(limited_, [node](const Limited& limited) {
        return BookmarkModel::isInSubtree(limited.node, node);
    });
    bool tookBack = forgotten > 0;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->node && BookmarkModel::isInSubtree(it->node, node)) {
            tally_.again -= it->attempt > 1;
            // A link still waiting is taken back; one being probed is forgotten.
            if (worker_->revoke(it->ticket)) {
                it = pending_.erase(it);
                tookBack = true;
                continue;
            }
            it->node = nullptr;
        }
        ++it;
    }
    walk_.nodeAboutToBeRemoved(node);
    // Hand out again once the deletion is over, not while the tree is
    // half-way through it.
    if (tookBack)
        QTimer::singleShot(0, this, &VerificationRun::handOutNext);
}

void VerificationRun::takeBackWaitingLinks()
{
    std::vector<Pending> askedAgain;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (!worker_->revoke(it->ticket)) {
            ++it;
            continue;
        }
        if (it->node && it->attempt > 1)
            askedAgain.push_back(std::move(*it));
        it = pending_.erase(it);
    }
    settleFirstAnswers(askedAgain);
}

// The worker lets go of every transfer before the links are looked at, so
// none starts meanwhile. Answers that came before are judged now, so the
// count stands where Stop found it.
void VerificationRun::abandonTransfers()
{
    for (const FinishedProbe& answered : worker_->cancel()) {
        if (aborted_)
            return;
        onProbed(answered.ticket, answered.result);
    }
    std::vector<Pending> askedAgain;
    for (Pending& abandoned : std::exchange(pending_, {})) {
        if (abandoned.node && abandoned.attempt > 1)
            askedAgain.push_back(std::move(abandoned));
    }
    settleFirstAnswers(askedAgain);
}

void VerificationRun::settleFirstAnswers(const std::vector<Pending>& askedAgain)
{
    for (const Pending& unanswered : askedAgain) {
        if (aborted_)
            return;
        settleUnsettled(unanswered.node, unanswered.firstAnswer, unanswered.attempt - 1,
                        Verdict::Unsure);
    }
}

void VerificationRun::onWorkerFinished()
{
    stopClock();
    emit ended(this);
}
