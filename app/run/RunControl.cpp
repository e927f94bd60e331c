#include "RunControl.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "ChosenEntries.h"
#include "CurlProbeEngine.h"
#include "EntryCounts.h"
#include "ExactPictures.h"
#include "KeptResults.h"
#include "KeptVerdicts.h"
#include "MessageBoxes.h"
#include "MovedLinks.h"
#include "TreeResults.h"
#include "VerificationRun.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

ProbeEngineFactory DefaultProbeEngines()
{
    return [] { return std::make_unique<CurlProbeEngine>(); };
}

RunControl::RunControl(BookmarkModel& tree, MovedLinks& moved, KeptVerdicts& verdicts,
                       KeptResults& results, RunWindow window)
    : QObject(window.window), tree_(tree), moved_(moved), verdicts_(verdicts), results_(results),
      window_(std::move(window)), choices_([] {
          return RunChoices{Settings::DefaultLinksAtOnce, false};
      })
{
}

void RunControl::verifyLinks()
{
    resetStatuses();
    if (window_.current)
        return;
    if (CountEntries(tree_).links == 0) {
        showNotice(QStringLiteral("There are no links to check"));
        return;
    }
    start({});
}

void RunControl::checkAgain(ChosenEntries chosen)
{
    if (window_.current)
        return;
    const std::vector<BookmarkNode*> links = LinksOf(tree_, chosen);
    if (links.empty())
        return;
    // Only these lamps go grey; what the last run found elsewhere still holds.
    for (BookmarkNode* top : chosen.entries) {
        moved_.forgetVerdicts(top);
        verdicts_.forgetSubtree(top);
    }
    for (BookmarkNode* link : links)
        tree_.setStatus(link, StatusUnverified);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    start(std::move(chosen.entries));
}

void RunControl::start(std::vector<BookmarkNode*> tops)
{
    window_.stopVerify->setEnabled(true);
    window_.verifyLinks->setEnabled(false);

    // The setting in effect now holds for this whole run.
    const RunChoices choices = choices_();
    auto* run = new VerificationRun(tree_, proxySettings_, engines_(), choices.linksAtOnce, this);
    run->setJudgeMode(choices.strict ? JudgeMode::Strict : JudgeMode::Person);
    run->setMaxHostWait(choices.maxHostWait);
    if (workerStackSize_)
        run->setWorkerStackSize(workerStackSize_);
    if (!tops.empty())
        run->limitTo(std::move(tops));
    // Links a host kept the last run from asking go before the rest.
    if (const ResultsStore* store = results_.store())
        run->askFirst(LinksToAskFirst(tree_, *store));
    connect(run, &VerificationRun::ended, this, &RunControl::done);
    connect(run, &VerificationRun::tallied, this, &RunControl::showTally);
    connect(run, &VerificationRun::verdictStored, &moved_,
            [this](BookmarkNode* node, const LinkVerdict& verdict) {
                moved_.noteVerdict(node, verdict.result.finalAddress,
                                   verdict.result.permanentRedirects,
                                   verdict.judgement.verdict == Verdict::Alive);
            });
    connect(run, &VerificationRun::verdictStored, &verdicts_,
            [this](BookmarkNode* node, const LinkVerdict& verdict) {
                verdicts_.keep(node, verdict, results_.now());
            });
    connect(run, &VerificationRun::verdictStored, this,
            [this](BookmarkNode* node, const LinkVerdict& verdict) {
                ResultsStore* store = results_.store();
                if (!store)
                    return;
                const KeptResult& kept =
                    KeepVerdict(*store, node->entry, verdict.judgement, results_.now());
                // A fresh verdict names its streak and archived copy too, as a
                // kept one does.
                if (const QString detail = VerdictDetail(verdict.judgement.text, kept);
                    detail != verdict.judgement.text)
                    tree_.setStatus(node, StatusDead, detail);
            });
    window_.current = run;
    window_.refreshTidy();
    if (!run->start()) {
        // Leave the window usable: a run that never began is no run.
        window_.current = nullptr;
        delete run;
        returnToIdle();
        ShowMessageBox(window_.window, QMessageBox::Critical, QCoreApplication::applicationName(),
                       QStringLiteral("Thread creation error."), QMessageBox::Ok);
        return;
    }
    latestRun_ = run;
    window_.reachedNoServer = false;
    showTally(run);
    window_.timer->start();
}

void RunControl::stop()
{
    if (!window_.current)
        return;
    // Detached at once; its transfers are dropped (a strict run one link at
    // a time lets its last probe land), and its end changes nothing.
    VerificationRun* stopped = window_.current;
    stopped->stop();
    window_.current = nullptr;
    returnToIdle();
    showTally(stopped);
    // What was judged so far is kept; a probe still landing is kept when the
    // run ends.
    results_.save();
    emit verdictsIn();
}

void RunControl::resetStatuses()
{
    tree_.resetStatuses();
    moved_.forgetVerdicts();
    verdicts_.clear();
    // The grey lamps show before the first probe; user input waits, so
    // nothing re-enters a run that is only being set up.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void RunControl::done(VerificationRun* run)
{
    if (run == window_.current) {
        window_.current = nullptr;
        returnToIdle();
        window_.refreshFind();
    }
    showTally(run);
    if (run == latestRun_)
        latestRun_ = nullptr;
    run->deleteLater();
    results_.save();
    emit verdictsIn();
}

void RunControl::showTally(VerificationRun* run)
{
    // An older run still landing its last probes never writes over a newer one.
    if (run != latestRun_)
        return;
    const RunTally tally = run->tally();
    if (run == window_.current) {
        window_.showInPanel(RunProgressText(tally), {});
        return;
    }
    window_.showInPanel(RunSummaryText(tally, run->isStopped()), {});
    window_.reachedNoServer = ReachedNoServer(tally);
}

void RunControl::showNotice(const QString& text, const QString& toolTip)
{
    // A stopped run still landing its last probes must not write over it.
    if (latestRun_ != window_.current)
        latestRun_ = nullptr;
    window_.showInPanel(text, toolTip);
}

void RunControl::nextHeaderFrame()
{
    // A wait for a host counts down, and the time left moves, between verdicts too.
    if (window_.current)
        showTally(window_.current);
    if (++window_.headerFrame >= BusyIndicator::FrameCount)
        window_.headerFrame = 0;
    window_.view->setStatusHeaderImage(window_.headerFrame);
}

void RunControl::returnToIdle()
{
    window_.stopVerify->setEnabled(false);
    window_.verifyLinks->setEnabled(true);
    window_.refreshTidy();
    window_.timer->stop();
    window_.view->setStatusHeaderImage(-1);
}

void RunControl::abortAll()
{
    const auto runs = findChildren<VerificationRun*>(Qt::FindDirectChildrenOnly);
    for (VerificationRun* run : runs)
        delete run;
    window_.current = nullptr;
    latestRun_ = nullptr;
}
