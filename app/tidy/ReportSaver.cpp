#include "ReportSaver.h"

#include "AtomicFile.h"
#include "KeptResults.h"
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

ReportSaver::ReportSaver(const KeptVerdicts& verdicts, const KeptResults& results,
                         const std::filesystem::path& favorites,
                         std::function<void(const QString&)> notice, QWidget* window)
    : verdicts_(verdicts), results_(results), favorites_(favorites), notice_(std::move(notice)),
      window_(window)
{
}

void ReportSaver::save()
{
    const qsizetype links = verdicts_.shownCount(results_.store());
    if (links == 0) {
        ShowMessageBox(window_, QMessageBox::Information, QCoreApplication::applicationName(),
                       QStringLiteral("There are no verdicts to save yet: verify the links first."),
                       QMessageBox::Ok);
        return;
    }
    const std::filesystem::path file = chooser_ ? chooser_(window_) : askForReportFile(window_);
    if (file.empty())
        return;
    const QByteArray report =
        verdicts_.report(ReportFormatOfFile(file), favorites_, results_.store());
    QString error;
    if (!WriteFileAtomically(file, report, &error)) {
        ShowMessageBox(window_, QMessageBox::Critical, QCoreApplication::applicationName(),
                       QStringLiteral("The report could not be saved."), QMessageBox::Ok, error);
        return;
    }
    notice_(QStringLiteral("Report saved: %1 %2")
                .arg(links)
                .arg(QLatin1String(links == 1 ? "link" : "links")));
}
