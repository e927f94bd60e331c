#include "ScheduleControls.h"

#include "CheckUnits.h"
#include "KnownFolders.h"
#include "ScheduledCheck.h"
#include "Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <iterator>

namespace {

using State = ScheduleOutcome::State;

const int Left = 16;
const int NoteWidth = 265;
const int LineHeight = 21;
const int Gap = 6;

// The periods in the order the box lists them.
const CheckPeriod Periods[] = {CheckPeriod::Daily, CheckPeriod::Weekly, CheckPeriod::Monthly};

QString periodName(CheckPeriod period)
{
    switch (period) {
    case CheckPeriod::Daily:
        return ScheduleControls::tr("day");
    case CheckPeriod::Monthly:
        return ScheduleControls::tr("month");
    case CheckPeriod::Weekly:
    case CheckPeriod::Off:
        break;
    }
    return ScheduleControls::tr("week");
}

// The row read as one, for a screen reader.
QString rowName(CheckPeriod period)
{
    switch (period) {
    case CheckPeriod::Daily:
        return ScheduleControls::tr("Check every day");
    case CheckPeriod::Monthly:
        return ScheduleControls::tr("Check every month");
    case CheckPeriod::Weekly:
    case CheckPeriod::Off:
        break;
    }
    return ScheduleControls::tr("Check every week");
}

int periodIndex(CheckPeriod period)
{
    for (int index = 0; index < int(std::size(Periods)); ++index) {
        if (Periods[index] == period)
            return index;
    }
    return 1; // weekly, when the check is off
}

std::filesystem::path runningExecutable()
{
    return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
}

std::filesystem::path wholePath(const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(folder, error);
    return folder.empty() || error ? folder : whole;
}

} // namespace

ScheduleControls::ScheduleControls(QDialog& dialog, int top, QSize restSize, Settings& settings)
    : QObject(&dialog), dialog_(dialog), restSize_(restSize), settings_(settings)
{
    chbScheduledCheck = new QCheckBox(tr("Check every"), &dialog);
    chbScheduledCheck->setObjectName(QStringLiteral("chbScheduledCheck"));
    chbScheduledCheck->setCursor(Qt::PointingHandCursor);
    const int boxWidth = chbScheduledCheck->sizeHint().width();
    chbScheduledCheck->setGeometry(Left, top + 2, boxWidth, 17);

    cbCheckPeriod = new QComboBox(&dialog);
    cbCheckPeriod->setObjectName(QStringLiteral("cbCheckPeriod"));
    for (const CheckPeriod period : Periods)
        cbCheckPeriod->addItem(periodName(period));
    cbCheckPeriod->setGeometry(Left + boxWidth + 4, top, 73, LineHeight);
    cbCheckPeriod->setCurrentIndex(periodIndex(CheckPeriod::Weekly));

    QWidget::setTabOrder(chbScheduledCheck, cbCheckPeriod);

    lbScheduleNote = new QLabel(&dialog);
    lbScheduleNote->setObjectName(QStringLiteral("lbScheduleNote"));
    lbScheduleNote->setTextFormat(Qt::PlainText);
    lbScheduleNote->setWordWrap(true);
    lbScheduleNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbScheduleNote->move(Left, restSize.height());
    lbScheduleNote->hide();

    edCrontabLine = new QLineEdit(&dialog);
    edCrontabLine->setObjectName(QStringLiteral("edCrontabLine"));
    edCrontabLine->setReadOnly(true);
    edCrontabLine->setAccessibleName(tr("crontab line"));
    edCrontabLine->hide();

    connect(chbScheduledCheck, &QCheckBox::clicked, this, &ScheduleControls::apply);
    connect(cbCheckPeriod, &QComboBox::activated, this, [this] {
        chbScheduledCheck->setAccessibleName(rowName(chosen()));
        if (chbScheduledCheck->isChecked())
            apply();
    });
    showSettings();
}

void ScheduleControls::setFolderSource(std::function<std::filesystem::path()> folder)
{
    folder_ = std::move(folder);
}

void ScheduleControls::showSettings()
{
    const CheckPeriod period = settings_.scheduledCheck;
    chbScheduledCheck->setChecked(period != CheckPeriod::Off);
    if (period != CheckPeriod::Off)
        cbCheckPeriod->setCurrentIndex(periodIndex(period));
    chbScheduledCheck->setAccessibleName(rowName(chosen()));
}

CheckPeriod ScheduleControls::chosen() const
{
    return Periods[std::max(0, cbCheckPeriod->currentIndex())];
}

void ScheduleControls::apply()
{
    const CheckPeriod period = chbScheduledCheck->isChecked() ? chosen() : CheckPeriod::Off;
    const std::filesystem::path folder = folder_ ? wholePath(folder_()) : std::filesystem::path();
    const ScheduleOutcome outcome = SetScheduledCheck(period, runningExecutable(), folder);
    const bool taken = outcome.state == State::Done || outcome.state == State::NoUserManager;
    QString note = noteFor(period, outcome);
    if (taken) {
        settings_.scheduledCheck = period;
        const std::filesystem::path config = ConfigFilePath();
        if (!settings_.saveScheduledCheck(config).saved)
            note += (note.isEmpty() ? QString() : QStringLiteral("\n")) +
                    tr("Unable to write to %1.").arg(QFile::decodeName(config.c_str()));
    } else {
        showSettings();
    }
    const bool withLine = outcome.state == State::NoUserManager && period != CheckPeriod::Off;
    showNote(note, withLine ? CheckCrontabLine(period, runningExecutable(), folder) : QString());
}

QString ScheduleControls::noteFor(CheckPeriod period, const ScheduleOutcome& outcome) const
{
    const bool on = period != CheckPeriod::Off;
    switch (outcome.state) {
    case State::Done:
        return {};
    case State::NoUserManager:
        return on ? tr("No systemd user manager could be reached (%1), so the check is not set "
                       "to run by itself. This crontab line does the same:")
                        .arg(outcome.detail)
                  : tr("No systemd user manager could be reached (%1). A crontab line that "
                       "runs the check stays until it is removed with crontab -e.")
                        .arg(outcome.detail);
    case State::NotOurs:
        return tr("%1 was not written by Orvanta, or was changed since, so it was left as it is.")
            .arg(outcome.detail);
    case State::Failed:
        break;
    }
    return (on ? tr("The check could not be set: %1") : tr("The check could not be removed: %1"))
        .arg(outcome.detail);
}

void ScheduleControls::showNote(const QString& text, const QString& crontabLine)
{
    int height = restSize_.height();
    lbScheduleNote->setText(text);
    lbScheduleNote->setVisible(!text.isEmpty());
    if (!text.isEmpty()) {
        const int noteHeight = lbScheduleNote->heightForWidth(NoteWidth);
        lbScheduleNote->setGeometry(Left, height, NoteWidth, noteHeight);
        height += noteHeight + Gap;
    }
    edCrontabLine->setText(crontabLine);
    edCrontabLine->setCursorPosition(0);
    edCrontabLine->setVisible(!crontabLine.isEmpty());
    if (!crontabLine.isEmpty()) {
        edCrontabLine->setGeometry(Left, height, NoteWidth, LineHeight);
        height += LineHeight + Gap;
    }
    dialog_.setFixedSize(restSize_.width(), height);
}
