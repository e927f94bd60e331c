#pragma once

#include "CheckPeriod.h"

#include <QObject>
#include <QSize>
#include <filesystem>
#include <functional>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
struct ScheduleOutcome;
struct Settings;

// The Options row "Check every week" (a check box and the period beside it)
// and the note under it, shown only when there is something to say: the
// dialog grows to hold it. A change by the person sets or removes the check
// that runs by itself (ScheduledCheck) at once and saves ScheduledCheck.
class ScheduleControls final : public QObject
{
    Q_OBJECT

public:
    // The row goes at top in dialog, whose size at rest is restSize; the
    // settings are the dialog's own, and outlive this.
    ScheduleControls(QDialog& dialog, int top, QSize restSize, Settings& settings);

    // The folder the check runs on: the one shown when the person sets it.
    void setFolderSource(std::function<std::filesystem::path()> folder);
    // Shows what the settings say, as loaded.
    void showSettings();
    // A note is about the last change only: the next showing starts without.
    void hideNote() { showNote({}); }

    // The first of the row's controls in the Tab order.
    QCheckBox* box() const { return chbScheduledCheck; }

private:
    CheckPeriod chosen() const;
    void apply();
    void showNote(const QString& text, const QString& crontabLine = {});
    QString noteFor(CheckPeriod period, const ScheduleOutcome& outcome) const;

    QDialog& dialog_;
    const QSize restSize_;
    Settings& settings_;
    std::function<std::filesystem::path()> folder_;
    QCheckBox* chbScheduledCheck = nullptr;
    QComboBox* cbCheckPeriod = nullptr;
    QLabel* lbScheduleNote = nullptr;
    QLineEdit* edCrontabLine = nullptr;
};
