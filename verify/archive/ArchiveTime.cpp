#include "ArchiveTime.h"

#include "ProfileFile.h"

namespace {

// FILETIME counts 100 ns steps from 1601; these are the steps up to 1970.
constexpr quint64 StepsTo1970 = 116444736000000000ULL;
constexpr quint64 StepsPerMillisecond = 10000;
constexpr qsizetype FileTimeDigits = 16;

QByteArray timestampOf(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
}

} // namespace

QString ShortcutModifiedValue(const std::string& path)
{
    return ReadProfileString(path.c_str(), QStringLiteral("InternetShortcut"),
                             QStringLiteral("Modified"));
}

QDateTime ShortcutModifiedTime(const QString& modified)
{
    const QString value = modified.trimmed();
    if (value.size() < FileTimeDigits)
        return {};
    quint64 steps = 0;
    for (int byte = 0; byte < 8; ++byte) {
        bool ok = false;
        const uint part = QStringView(value).mid(byte * 2, 2).toUInt(&ok, 16);
        if (!ok)
            return {};
        steps |= quint64(part) << (8 * byte);
    }
    if (steps <= StepsTo1970)
        return {};
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(
        qint64((steps - StepsTo1970) / StepsPerMillisecond), Qt::UTC);
    // Past the four digits of a year the service reads, the value is noise.
    if (!time.isValid() || time.date().year() > 9999)
        return {};
    return time;
}

QByteArray ArchiveTimestamp(const QString& modified, std::int64_t fileModifiedNs)
{
    const QDateTime saved = ShortcutModifiedTime(modified);
    if (saved.isValid())
        return timestampOf(saved);
    return timestampOf(QDateTime::fromMSecsSinceEpoch(fileModifiedNs / 1000000, Qt::UTC));
}
