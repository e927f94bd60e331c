// The verification run as the main window drives it: the menu items, the
// status reset before a run, the end of a run and the header animation.
#include "TForm1.h"

#include "BookmarkModel.h"
#include "BookmarkView.h"
#include "CurlProbeEngine.h"
#include "EntryCounts.h"
#include "ExactPictures.h"
#include "KeptVerdicts.h"
#include "MessageBoxes.h"
#include "MovedLinks.h"
#include "StatusPanels.h"
#include "TfrOptions.h"
#include "TreeResults.h"
#include "VerificationRun.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>

ProbeEngineFactory DefaultProbeEngines()
{
    return [] { return std::make_unique<CurlProbeEngine>(); };
}

void TForm1::setOptionsDialog(TfrOptions* dialog)
{
    optionsDialog_ = dialog;
    const auto refresh = [this] { proxySettings_->set(optionsDialog_->proxySettings()); };
    connect(dialog, &TfrOptions::proxySettingsChanged, this, refresh);
    refresh();
}

void TForm1::mnVerifyLinksClick()
{
    ResetStatuses();
    if (VerifyThread)
        return;
    if (CountEntries(*bookmarks_).links == 0) {
        showStatusNotice(QStringLiteral("There are no links to check"));
        return;
    }
    startRun({});
}

void TForm1::startRun(std::vector<BookmarkNode*> tops)
{
    mnStopVerify->setEnabled(true);
    mnVerifyLinks->setEnabled(false);

    // The setting in effect now holds for this whole run.
    const int linksAtOnce =
        optionsDialog_ ? optionsDialog_->linksAtOnce() : Settings::DefaultLinksAtOnce;
    const bool strict = optionsDialog_ && optionsDialog_->strictVerdicts();
    auto* run = new VerificationRun(*bookmarks_, proxySettings_, engines_(), linksAtOnce, this);
    run->setJudgeMode(strict ? JudgeMode::Strict : JudgeMode::Person);
    if (workerStackSize_)
        run->setWorkerStackSize(workerStackSize_);
    if (!tops.empty())
        run->limitTo(std::move(tops));
    connect(run, &VerificationRun::ended, this, &TForm1::VerifyDone);
    connect(run, &VerificationRun::tallied, this, &TForm1::showRunTally);
    connect(run, &VerificationRun::verdictStored, movedLinks_,
            [this](BookmarkNode* node, const LinkVerdict& verdict) {
                movedLinks_->noteVerdict(node, verdict.result.finalAddress,
                                         verdict.result.permanentRedirects,
                                         verdict.judgement.verdict == Verdict::Alive);
            });
    connect(run, &VerificationRun::verdictStored, verdicts_, &KeptVerdicts::keep);
    connect(run, &VerificationRun::verdictStored, this,
            [this](BookmarkNode* node, const LinkVerdict& verdict) {
                if (!results_)
                    return;
                const KeptResult& kept =
                    KeepVerdict(*results_, node->entry, verdict.judgement, clock_());
                // A fresh verdict names its streak too, as a kept one does.
                if (const QString streak = DeadStreakText(kept); !streak.isEmpty())
                    bookmarks_->setStatus(node, StatusDead,
                                          verdict.judgement.text + QStringLiteral("; ") + streak);
            });
    VerifyThread = run;
    refreshTidyItems();
    if (!run->start()) {
        // Leave the window usable: a run that never began is no run.
        VerifyThread = nullptr;
        delete run;
        returnToIdle();
        ShowMessageBox(this, QMessageBox::Critical, QCoreApplication::applicationName(),
                       QStringLiteral("Thread creation error."), QMessageBox::Ok);
        return;
    }
    latestRun_ = run;
    lastRunReachedNoServer = false;
    showRunTally(run);
    Timer1->start();
}

void TForm1::mnStopVerifyClick()
{
    if (!VerifyThread)
        return;
    // Detached at once; its transfers are dropped (a strict run one link at
    // a time lets its last probe land), and its end changes nothing.
    VerificationRun* stopped = VerifyThread;
    stopped->stop();
    VerifyThread = nullptr;
    returnToIdle();
    showRunTally(stopped);
    // What was judged so far is kept; a probe still landing is kept when the
    // run ends.
    saveKeptResults();
}

void TForm1::ResetStatuses()
{
    bookmarks_->resetStatuses();
    movedLinks_->forgetVerdicts();
    verdicts_->clear();
    // The grey lamps show before the first probe; user input waits, so
    // nothing re-enters a run that is only being set up.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::VerifyDone(VerificationRun* run)
{
    if (run == VerifyThread) {
        VerifyThread = nullptr;
        returnToIdle();
        refreshFind();
    }
    showRunTally(run);
    if (run == latestRun_)
        latestRun_ = nullptr;
    run->deleteLater();
    saveKeptResults();
}

void TForm1::showRunTally(VerificationRun* run)
{
    // An older run still landing its last probes never writes over a newer one.
    if (run != latestRun_)
        return;
    const RunTally tally = run->tally();
    if (run == VerifyThread) {
        StatusBar1->setPanelText(2, RunProgressText(tally));
        return;
    }
    StatusBar1->setPanelText(2, RunSummaryText(tally, run->isStopped()));
    lastRunReachedNoServer = ReachedNoServer(tally);
}

void TForm1::showStatusNotice(const QString& text, const QString& toolTip)
{
    // A stopped run still landing its last probes must not write over it.
    if (latestRun_ != VerifyThread)
        latestRun_ = nullptr;
    StatusBar1->setPanelText(2, text, toolTip);
}

void TForm1::Timer1Timer()
{
    if (++HeaderFrame >= BusyIndicator::FrameCount)
        HeaderFrame = 0;
    VT->setStatusHeaderImage(HeaderFrame);
}

void TForm1::returnToIdle()
{
    mnStopVerify->setEnabled(false);
    mnVerifyLinks->setEnabled(true);
    refreshTidyItems();
    Timer1->stop();
    VT->setStatusHeaderImage(-1);
}

void TForm1::abortAllRuns()
{
    // Every run, the current one and stopped ones still finishing: their
    // transfers are cancelled and their threads joined before the tree goes.
    const auto runs = findChildren<VerificationRun*>(Qt::FindDirectChildrenOnly);
    for (VerificationRun* run : runs)
        delete run;
    VerifyThread = nullptr;
    latestRun_ = nullptr;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Gone from the screen first: joining the workers may take a moment.
    hide();
    abortAllRuns();
    // The folders remembered open are those of the whole tree.
    hideFindBar();
    returnToIdle();
    saveKeptResults();
    saveWindowState();
    QWidget::closeEvent(event);
}
