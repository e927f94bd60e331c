// Save report: the verdicts of the links as they stand, written from the
// window in the formats of the command line.
#include "TForm1.h"

#include "AtomicFile.h"
#include "KeptVerdicts.h"
#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace {

std::filesystem::path askForReportFile(QWidget* parent)
{
    const QString file = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save report"),
        QDir::home().filePath(QStringLiteral("orvanta-report.csv")),
        QStringLiteral("CSV files (*.csv);;JSON lines (*.json);;All files (*)"));
    return file.isEmpty() ? std::filesystem::path()
                          : std::filesystem::path(QFile::encodeName(file).toStdString());
}

} // namespace

void TForm1::mnSaveReportClick()
{
    if (verdicts_->size() == 0) {
        ShowMessageBox(this, QMessageBox::Information, QCoreApplication::applicationName(),
                       QStringLiteral("There are no verdicts to save yet: verify the links first."),
                       QMessageBox::Ok);
        return;
    }
    const std::filesystem::path file =
        reportFileChooser_ ? reportFileChooser_(this) : askForReportFile(this);
    if (file.empty())
        return;
    const QByteArray report = verdicts_->report(ReportFormatOfFile(file), FavoritesPath);
    QString error;
    if (!WriteFileAtomically(file, report, &error)) {
        ShowMessageBox(this, QMessageBox::Critical, QCoreApplication::applicationName(),
                       QStringLiteral("The report could not be saved."), QMessageBox::Ok, error);
        return;
    }
    const qsizetype links = verdicts_->size();
    showStatusNotice(QStringLiteral("Report saved: %1 %2")
                         .arg(links)
                         .arg(QLatin1String(links == 1 ? "link" : "links")));
}
