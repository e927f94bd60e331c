#include "ResultsStore.h"

#include "AtomicFile.h"
#include "VerdictReport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>
#include <system_error>

namespace {

constexpr int FileVersion = 1;
constexpr int MaxDeadRuns = 1000000;
constexpr qint64 SecondsInDay = 24 * 60 * 60;

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QString();
}

// Null stands for "never"; anything else must be a time.
std::optional<QDateTime> timeOf(const QJsonValue& value)
{
    if (value.isNull())
        return QDateTime();
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

std::optional<Verdict> verdictNamed(const QString& word)
{
    for (Verdict verdict : {Verdict::Alive, Verdict::Dead, Verdict::Unsure, Verdict::Unchecked}) {
        if (VerdictWord(verdict) == word)
            return verdict;
    }
    return std::nullopt;
}

QJsonObject resultObject(const QByteArray& key, const KeptResult& result)
{
    return {
        {QStringLiteral("path"), QString::fromLatin1(key.toPercentEncoding())},
        {QStringLiteral("link"), result.link},
        {QStringLiteral("verdict"), VerdictWord(result.verdict)},
        {QStringLiteral("text"), result.text},
        {QStringLiteral("reason"), result.reason},
        {QStringLiteral("checked"), timeText(result.checked)},
        {QStringLiteral("lastAlive"), TimeJson(result.lastAlive)},
        {QStringLiteral("deadRuns"), result.deadRuns},
        {QStringLiteral("firstDead"), TimeJson(result.firstDead)},
    };
}

// One link of the file; nothing when any field is missing or out of shape.
std::optional<std::pair<QByteArray, KeptResult>> resultOf(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    const auto text = [&object](const char* name) { return object.value(QLatin1String(name)); };
    const auto verdict = verdictNamed(text("verdict").toString());
    const auto checked = timeOf(text("checked"));
    const auto lastAlive = timeOf(text("lastAlive"));
    const auto firstDead = timeOf(text("firstDead"));
    const int deadRuns = text("deadRuns").toInt(-1);
    const bool strings = text("path").isString() && text("link").isString() &&
                         text("text").isString() && text("reason").isString();
    if (!strings || !verdict || !checked || !checked->isValid() || !lastAlive || !firstDead ||
        deadRuns < 0 || deadRuns > MaxDeadRuns)
        return std::nullopt;
    const QByteArray key = QByteArray::fromPercentEncoding(text("path").toString().toLatin1());
    return std::pair{key, KeptResult{text("link").toString(), *verdict, text("text").toString(),
                                     text("reason").toString(), *checked, *lastAlive, deadRuns,
                                     *firstDead}};
}

// Where the folder's results go: one name per absolute path, whatever its
// bytes or length.
std::filesystem::path fileFor(const std::filesystem::path& stateFolder,
                              const std::filesystem::path& favorites)
{
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(favorites.native()),
                                                     QCryptographicHash::Sha256);
    return stateFolder / (hash.toHex().left(32).toStdString() + ".json");
}

std::filesystem::path absoluteFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error).lexically_normal();
    if (absolute.has_relative_path() && !absolute.has_filename())
        absolute = absolute.parent_path();
    return absolute;
}

} // namespace

QJsonValue TimeJson(const QDateTime& time)
{
    return time.isValid() ? QJsonValue(timeText(time)) : QJsonValue();
}

Clock SystemClock()
{
    return [] { return QDateTime::currentDateTimeUtc(); };
}

KeptResult NextResult(const KeptResult* previous, const QString& link, const Judgement& judgement,
                      const QDateTime& now)
{
    KeptResult next;
    if (previous && previous->link == link)
        next = *previous;
    next.link = link;
    next.verdict = judgement.verdict;
    next.text = judgement.text;
    next.reason = judgement.reason;
    next.checked = now;
    if (judgement.verdict == Verdict::Alive) {
        next.lastAlive = now;
        next.deadRuns = 0;
        next.firstDead = QDateTime();
    } else if (judgement.verdict == Verdict::Dead) {
        if (next.deadRuns == 0)
            next.firstDead = now;
        next.deadRuns = std::min(next.deadRuns + 1, MaxDeadRuns);
    }
    return next;
}

QString DeadStreakText(const KeptResult& result)
{
    if (result.verdict != Verdict::Dead || result.deadRuns < 2 || !result.firstDead.isValid() ||
        result.firstDead.secsTo(result.checked) < SecondsInDay)
        return {};
    return QStringLiteral("dead in %1 runs in a row").arg(result.deadRuns);
}

qint64 DaysBefore(const QDateTime& then, const QDateTime& now)
{
    return then.toLocalTime().date().daysTo(now.toLocalTime().date());
}

QString CheckedAgoText(const QDateTime& checked, const QDateTime& now)
{
    const qint64 days = DaysBefore(checked, now);
    if (days <= 0)
        return QStringLiteral("checked today");
    if (days == 1)
        return QStringLiteral("checked yesterday");
    return QStringLiteral("checked %1 days ago").arg(days);
}

QString KeptDetail(const KeptResult& result, const QDateTime& now)
{
    QString detail = result.text + QStringLiteral(", ") + CheckedAgoText(result.checked, now);
    if (const QString streak = DeadStreakText(result); !streak.isEmpty())
        detail += QStringLiteral("; ") + streak;
    return detail;
}

ResultsStore::ResultsStore(const std::filesystem::path& stateFolder,
                           const std::filesystem::path& favorites)
    : favorites_(favorites), absolute_(absoluteFolder(favorites)),
      file_(fileFor(stateFolder, absolute_))
{
}

QByteArray ResultsStore::keyOf(const std::string& path) const
{
    return QByteArray::fromStdString(PathFromFolder(path, favorites_));
}

QString ResultsStore::load(const QDateTime& now)
{
    results_.clear();
    changed_ = false;
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file_, error);
    if (!std::filesystem::exists(status))
        return {};
    if (!std::filesystem::is_regular_file(status))
        return setAside(QStringLiteral("not a file"), now);
    QFile file(QFile::decodeName(QByteArray::fromStdString(file_.native())));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The results of earlier runs cannot be read: %1")
            .arg(file.errorString());
    const QByteArray bytes = file.read(MaxFileSize + 1);
    file.close();
    if (bytes.size() > MaxFileSize)
        return setAside(QStringLiteral("too large"), now);

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject top = document.object();
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return setAside(QStringLiteral("damaged"), now);
    if (top.value(QStringLiteral("version")).toInt(-1) != FileVersion)
        return setAside(QStringLiteral("of another version"), now);
    const QByteArray folder =
        QByteArray::fromPercentEncoding(top.value(QStringLiteral("folder")).toString().toLatin1());
    if (folder.toStdString() != absolute_.native() || !top.value(QStringLiteral("links")).isArray())
        return setAside(QStringLiteral("damaged"), now);
    for (const QJsonValue& value : top.value(QStringLiteral("links")).toArray()) {
        const auto result = resultOf(value);
        if (!result) {
            results_.clear();
            return setAside(QStringLiteral("damaged"), now);
        }
        results_.insert(result->first, result->second);
    }
    return {};
}

QString ResultsStore::setAside(const QString& why, const QDateTime& now)
{
    const std::filesystem::path aside =
        file_.native() + ".damaged-" +
        now.toUTC().toString(QStringLiteral("yyyyMMddTHHmmss")).toStdString();
    std::error_code error;
    std::filesystem::rename(file_, aside, error);
    const QString name =
        QFile::decodeName(QByteArray::fromStdString((error ? file_ : aside).filename().native()));
    if (error)
        return QStringLiteral("The results of earlier runs were %1 and could not be set aside "
                              "(%2); starting from none")
            .arg(why, name);
    return QStringLiteral("The results of earlier runs were %1 and were set aside as %2; starting "
                          "from none")
        .arg(why, name);
}

bool ResultsStore::save(QString* error)
{
    QJsonArray links;
    for (auto it = results_.cbegin(); it != results_.cend(); ++it)
        links.append(resultObject(it.key(), it.value()));
    const QJsonObject top{
        {QStringLiteral("version"), FileVersion},
        {QStringLiteral("folder"),
         QString::fromLatin1(QByteArray::fromStdString(absolute_.native()).toPercentEncoding())},
        {QStringLiteral("links"), links},
    };
    if (!WriteFileAtomically(file_, QJsonDocument(top).toJson(QJsonDocument::Compact), error))
        return false;
    changed_ = false;
    return true;
}

const KeptResult* ResultsStore::find(const QByteArray& key, const QString& link) const
{
    const auto kept = results_.constFind(key);
    if (kept == results_.cend() || kept->link != link)
        return nullptr;
    return &*kept;
}

const KeptResult& ResultsStore::record(const QByteArray& key, const QString& link,
                                       const Judgement& judgement, const QDateTime& now)
{
    changed_ = true;
    const auto kept = results_.constFind(key);
    const KeptResult* previous = kept == results_.cend() ? nullptr : &*kept;
    return *results_.insert(key, NextResult(previous, link, judgement, now));
}

void ResultsStore::retain(const std::function<bool(const QByteArray&)>& keep)
{
    for (auto it = results_.begin(); it != results_.end();) {
        if (keep(it.key())) {
            ++it;
            continue;
        }
        it = results_.erase(it);
        changed_ = true;
    }
}
