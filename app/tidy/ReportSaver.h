#pragma once

#include <QString>
#include <filesystem>
#include <functional>

class KeptResults;
class KeptVerdicts;
class QWidget;

// Save report: the verdicts of the links as they stand, written from the
// window in the formats of the command line.
class ReportSaver
{
public:
    // Asks where the report goes; empty when the user cancels.
    using FileChooser = std::function<std::filesystem::path(QWidget*)>;

    // verdicts are this session's, results those kept from earlier runs;
    // notice says in the status bar what was saved; boxes open over window.
    ReportSaver(const KeptVerdicts& verdicts, const KeptResults& results,
                const std::filesystem::path& favorites, std::function<void(const QString&)> notice,
                QWidget* window);

    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // Writes every verdict shown as CSV, or JSON lines for a file named
    // .json.
    void save();

private:
    const KeptVerdicts& verdicts_;
    const KeptResults& results_;
    const std::filesystem::path& favorites_;
    std::function<void(const QString&)> notice_;
    QWidget* window_;
    FileChooser chooser_;
};
