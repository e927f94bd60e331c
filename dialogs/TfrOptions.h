#pragma once

#include "ProxySettings.h"
#include "Settings.h"

#include <QDialog>
#include <QRgb>
#include <filesystem>
#include <functional>

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QSpinBox;
class ScheduleControls;

// Background of a disabled proxy edit (stored value 14215660, BGR D8E9EC).
inline constexpr QRgb DisabledEditColor = qRgb(236, 233, 216);
inline constexpr QRgb EnabledEditColor = qRgb(255, 255, 255);

// The Options dialog: whether link checks go through a proxy, and which.
// Made once at start-up and kept hidden; its controls are the live settings,
// loaded from Config.ini on creation and written back on every close (or
// left unsaved when the user gives up on a failing save).
class TfrOptions final : public QDialog
{
    Q_OBJECT

public:
    explicit TfrOptions(QWidget* parent = nullptr);

    // A value copy of the controls, for a probe about to start.
    ProxySettings proxySettings() const;
    // How many links a run checks at once, as the dialog shows it now.
    int linksAtOnce() const;
    // Whether a run judges links by the first rule only: alive on a final
    // "200" or "302", everything else dead.
    bool strictVerdicts() const;
    // Whether deleted entries go to the Trash rather than away for good.
    bool useTrash() const;
    // Whether the folders a deletion empties are offered for deletion too:
    // Config.ini's word, which the dialog does not show.
    bool removeEmptyFolders() const { return settings_.removeEmptyFolders; }
    // How long a run waits in all for one host that asks it to slow down
    // (seconds), as the file says: no control shows it.
    int maxHostWait() const { return settings_.maxHostWait; }

    // The folder the check that runs by itself is set for: the one shown.
    void setCheckedFolder(std::function<std::filesystem::path()> folder);

    // Whether dead links are looked up in the Internet Archive after a run,
    // and where its service is (Config.ini's word only).
    bool archiveLookup() const;
    QString archiveAddress() const { return settings_.archiveAddress; }

    // What the main window's Options button does: centred over the main
    // window, modal, result ignored.
    void showModal();

    void done(int result) override;

signals:
    // Any of the three controls changed; proxySettings() has the new values.
    void proxySettingsChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupControls();
    void setupLinksAtOnceRow();
    void setupStrictRow();
    void setupTrashRow();
    void setupArchiveRow();
    void FormCreate();
    void FormClose();
    void chbUseProxyClick();
    // Key-down of both edits (one handler serves edAdressProxy and edPort).
    bool editKeyDown(const QKeyEvent& event);
    bool edPortKeyPress(QKeyEvent& event);

    QGroupBox* grbProxy = nullptr;
    QCheckBox* chbUseProxy = nullptr;
    QLabel* lbAdressProxy = nullptr;
    QLineEdit* edAdressProxy = nullptr;
    QLabel* lbPort = nullptr;
    QLineEdit* edPort = nullptr;
    QLabel* lbLinksAtOnce = nullptr;
    QSpinBox* seLinksAtOnce = nullptr;
    QCheckBox* chbStrictVerdicts = nullptr;
    QCheckBox* chbUseTrash = nullptr;
    ScheduleControls* schedule_ = nullptr;
    QCheckBox* chbArchiveLookup = nullptr;

    // Loaded at start-up; every close takes the controls into it and saves it.
    Settings settings_;
};
