#pragma once

#include "ProbeResult.h"

#include <QByteArray>
#include <QString>
#include <optional>

enum class ReportFormat
{
    Text,
    Csv,
    Json,
};

// "text", "csv" or "json"; nothing for any other name.
std::optional<ReportFormat> ReportFormatNamed(const QString& name);

// Writes the verdicts of a check as lines for a terminal or another program:
// text (verdict, reason, link and path between tabs), CSV after RFC 4180
// with a header row, or one compact JSON object per line. Each line comes
// whole, so a reader never sees half a verdict.
class VerdictReport final
{
public:
    explicit VerdictReport(ReportFormat format) : format_(format) {}

    // What comes before the first verdict; empty when nothing does.
    QByteArray header() const;
    // One verdict on the link of the shortcut at path, line end included.
    QByteArray line(const QString& link, const QString& path, const ProbeResult& result) const;

private:
    ReportFormat format_;
};
