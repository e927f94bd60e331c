#pragma once

#include <QString>
#include <filesystem>
#include <functional>

class KeptVerdicts;
class QWidget;

// Save report: the verdicts of the links as they stand, written from the
// window in the formats of the command line.
class ReportSaver
{
public:
    // Asks where the report goes; empty when the user cancels.
    using FileChooser = std::function<std::filesystem::path(QWidget*)>;

    // notice says in the status bar what was saved; boxes open over window.
    ReportSaver(const KeptVerdicts& verdicts, const std::filesystem::path& favorites,
                std::function<void(const QString&)> notice, QWidget* window);

    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // Writes them as CSV, or JSON lines for a file named .json.
    void save();

private:
    const KeptVerdicts& verdicts_;
    const std::filesystem::path& favorites_;
    std::function<void(const QString&)> notice_;
    QWidget* window_;
    FileChooser chooser_;
};
