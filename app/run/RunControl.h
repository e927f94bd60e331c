#pragma once

#include "ProbeEngine.h"
#include "Settings.h"
#include "SharedProxySettings.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class BookmarkModel;
class BookmarkNode;
class BookmarkView;
struct ChosenEntries;
class KeptResults;
class KeptVerdicts;
class MovedLinks;
class QAction;
class QTimer;
class QWidget;
class VerificationRun;

// Engines on libcurl's multi interface with the default time bounds: what a
// run uses unless a test puts in others.
ProbeEngineFactory DefaultProbeEngines();

// What the window lends the runs: its menu items, its timer, its view and
// the window's own state of the run, kept where the window names it.
struct RunWindow
{
    QAction* verifyLinks;
    QAction* stopVerify;
    QTimer* timer;
    BookmarkView* view;
    VerificationRun*& current; // the current run, or none
    int& headerFrame;          // the Status header's animation frame
    bool& reachedNoServer;     // the last run checked links but no server answered
    // The third status panel.
    std::function<void(const QString& text, const QString& toolTip)> showInPanel;
    // What shows more or less once a run begins or ends.
    std::function<void()> refreshTidy;
    std::function<void()> refreshFind;
    QWidget* window; // over which boxes open; the runs are found below it
};

// How the Options dialog has a run go, read as each run begins.
struct RunChoices
{
    int linksAtOnce;
    bool strict;
    int maxHostWait = Settings::DefaultMaxHostWait; // seconds
};

// The verification run as the window drives it: begun, stopped, ended, and
// its counts and busy frames shown.
class RunControl final : public QObject
{
    Q_OBJECT

public:
    RunControl(BookmarkModel& tree, MovedLinks& moved, KeptVerdicts& verdicts, KeptResults& results,
               RunWindow window);

    void setChoices(std::function<RunChoices()> choices) { choices_ = std::move(choices); }
    // Fed by the Options dialog's proxy controls; every probe reads it when it begins.
    void setProxySettings(const ProxySettings& settings) { proxySettings_->set(settings); }
    void setProbeEngines(ProbeEngineFactory engines) { engines_ = std::move(engines); }
    void setWorkerStackSize(uint bytes) { workerStackSize_ = bytes; }

    void verifyLinks();
    // Probes the chosen links, and all links of chosen folders, again in a
    // run of their own.
    void checkAgain(ChosenEntries chosen);
    void stop();
    void resetStatuses();
    void done(VerificationRun* run);
    void nextHeaderFrame();
    void returnToIdle();
    // Every run, the current one and stopped ones still finishing: their
    // transfers are cancelled and their threads joined.
    void abortAll();
    // Says in the third panel what the window just did, in place of a run's counts.
    void showNotice(const QString& text, const QString& toolTip = {});

signals:
    // A run ended or was stopped, its verdicts kept.
    void verdictsIn();

private:
    // A run over the links of the subtrees of tops, or the whole tree for none.
    void start(std::vector<BookmarkNode*> tops);
    void showTally(VerificationRun* run);

    BookmarkModel& tree_;
    MovedLinks& moved_;
    KeptVerdicts& verdicts_;
    KeptResults& results_;
    RunWindow window_;
    std::function<RunChoices()> choices_;
    // The newest run begun, current or stopped and still finishing: the one
    // whose counts the third status panel shows, until it ends.
    VerificationRun* latestRun_ = nullptr;
    ProbeEngineFactory engines_ = DefaultProbeEngines();
    std::shared_ptr<SharedProxySettings> proxySettings_ = std::make_shared<SharedProxySettings>();
    uint workerStackSize_ = 0;
};
