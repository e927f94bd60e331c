#include "ResultsStore.h"

#include "LinkPassword.h"
#include "OwnFolder.h"
#include "VerdictReport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cstring>
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
    QJsonObject object{
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
    // Written only when set, so that files of links never held back stay as they were.
    if (result.askFirst)
        object.insert(QStringLiteral("askFirst"), true);
    // Only links the archive was asked about carry it, so files of earlier
    // versions read as before.
    if (result.archiveAsked.isValid())
        object.insert(QStringLiteral("archive"),
                      QJsonObject{{QStringLiteral("asked"), timeText(result.archiveAsked)},
                                  {QStringLiteral("url"), result.archiveUrl},
                                  {QStringLiteral("timestamp"), result.archiveTimestamp}});
    return object;
}

// The archive's answer of a link, when the file has one; false when it is
// there but out of shape.
bool readArchive(const QJsonObject& object, KeptResult& result)
{
    const QJsonValue value = object.value(QStringLiteral("archive"));
    if (value.isUndefined())
        return true;
    const QJsonObject archive = value.toObject();
    const auto asked = timeOf(archive.value(QStringLiteral("asked")));
    const QJsonValue url = archive.value(QStringLiteral("url"));
    const QJsonValue timestamp = archive.value(QStringLiteral("timestamp"));
    if (!value.isObject() || !asked || !asked->isValid() || !url.isString() ||
        !timestamp.isString())
        return false;
    result.archiveAsked = *asked;
    result.archiveUrl = url.toString();
    result.archiveTimestamp = timestamp.toString();
    return true;
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
    const QJsonValue askFirst = text("askFirst");
    const bool strings = text("path").isString() && text("link").isString() &&
                         text("text").isString() && text("reason").isString();
    if (!strings || !verdict || !checked || !checked->isValid() || !lastAlive || !firstDead ||
        deadRuns < 0 || deadRuns > MaxDeadRuns || !(askFirst.isUndefined() || askFirst.isBool()))
        return std::nullopt;
    const QByteArray key = QByteArray::fromPercentEncoding(text("path").toString().toLatin1());
    KeptResult result{text("link").toString(),
                      *verdict,
                      text("text").toString(),
                      text("reason").toString(),
                      *checked,
                      *lastAlive,
                      deadRuns,
                      *firstDead,
                      askFirst.toBool(),
                      {},
                      {},
                      {}};
    if (!readArchive(object, result))
        return std::nullopt;
    return std::pair{key, result};
}

// A text as the store keeps it: the password of any address in it masked.
QString masked(const QString& text)
{
    // Most texts hold no user part, and are then shared rather than copied.
    return text.contains(u'@') ? MaskPassword(text) : text;
}

// A result as the store keeps it; true when that changed anything.
bool mask(KeptResult& result)
{
    bool changed = false;
    for (QString* text : {&result.link, &result.text, &result.reason}) {
        QString kept = masked(*text);
        changed = changed || kept != *text;
        *text = std::move(kept);
    }
    return changed;
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
    next.askFirst = judgement.askFirst;
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

bool HasFreshArchiveAnswer(const KeptResult& result, const QDateTime& now)
{
    return result.archiveAsked.isValid() &&
           result.archiveAsked.secsTo(now) < ArchiveAnswerDays * SecondsInDay;
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

QString ArchivedCopyDate(const QString& timestamp)
{
    const bool digits = timestamp.size() == 14 && std::all_of(timestamp.cbegin(), timestamp.cend(),
                                                              [](QChar c) { return c.isDigit(); });
    const QDate date = QDate::fromString(timestamp.left(8), QStringLiteral("yyyyMMdd"));
    if (!digits || !date.isValid())
        return {};
    return QLocale::c().toString(date, QStringLiteral("d MMMM yyyy"));
}

QString ArchivedCopyText(const KeptResult& result)
{
    const QString date = ArchivedCopyDate(result.archiveTimestamp);
    if (result.verdict != Verdict::Dead || result.archiveUrl.isEmpty() || date.isEmpty())
        return {};
    return QStringLiteral("Archived copy from ") + date;
}

QString VerdictDetail(const QString& text, const KeptResult& result)
{
    QString detail = text;
    if (const QString streak = DeadStreakText(result); !streak.isEmpty())
        detail += QStringLiteral("; ") + streak;
    if (const QString archived = ArchivedCopyText(result); !archived.isEmpty())
        detail += u'\n' + archived;
    return detail;
}

QString KeptDetail(const KeptResult& result, const QDateTime& now)
{
    return VerdictDetail(result.text + QStringLiteral(", ") + CheckedAgoText(result.checked, now),
                         result);
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
    const OwnFolder folder(file_.parent_path());
    refused_ = !folder.refusal().isEmpty();
    if (refused_)
        return QStringLiteral("The results of runs are not kept: ") + folder.refusal();
    QByteArray bytes;
    QString refusal;
    const int error = folder.read(file_.filename().native(), MaxFileSize, bytes, &refusal);
    if (error == ENOENT)
        return {};
    if (!refusal.isEmpty())
        return setAside(folder, QStringLiteral("not a file of yours"), now);
    if (error == EISDIR || error == EINVAL)
        return setAside(folder, QStringLiteral("not a file"), now);
    if (error == EFBIG)
        return setAside(folder, QStringLiteral("too large"), now);
    if (error != 0)
        return QStringLiteral("The results of earlier runs cannot be read: %1")
            .arg(QString::fromLocal8Bit(std::strerror(error)));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject top = document.object();
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return setAside(folder, QStringLiteral("damaged"), now);
    if (top.value(QStringLiteral("version")).toInt(-1) != FileVersion)
        return setAside(folder, QStringLiteral("of another version"), now);
    const QByteArray keptFolder =
        QByteArray::fromPercentEncoding(top.value(QStringLiteral("folder")).toString().toLatin1());
    if (keptFolder.toStdString() != absolute_.native() ||
        !top.value(QStringLiteral("links")).isArray())
        return setAside(folder, QStringLiteral("damaged"), now);
    for (const QJsonValue& value : top.value(QStringLiteral("links")).toArray()) {
        auto result = resultOf(value);
        if (!result) {
            results_.clear();
            return setAside(folder, QStringLiteral("damaged"), now);
        }
        // Kept in clear by an earlier version: masked on the next save.
        if (mask(result->second))
            changed_ = true;
        results_.insert(result->first, result->second);
    }
    return {};
}

QString ResultsStore::setAside(const OwnFolder& folder, const QString& why, const QDateTime& now)
{
    const std::string name = file_.filename().native();
    const std::string aside = folder.renameAside(
        name,
        name + ".damaged-" + now.toUTC().toString(QStringLiteral("yyyyMMddTHHmmss")).toStdString());
    const QString shown =
        QFile::decodeName(QByteArray::fromStdString(aside.empty() ? name : aside));
    if (aside.empty())
        return QStringLiteral("The results of earlier runs were %1 and could not be set aside "
                              "(%2); starting from none")
            .arg(why, shown);
    return QStringLiteral("The results of earlier runs were %1 and were set aside as %2; starting "
                          "from none")
        .arg(why, shown);
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
    const OwnFolder folder(file_.parent_path());
    if (!folder.write(file_.filename().native(), QJsonDocument(top).toJson(QJsonDocument::Compact),
                      error))
        return false;
    changed_ = false;
    return true;
}

const KeptResult* ResultsStore::find(const QByteArray& key, const QString& link) const
{
    const auto kept = results_.constFind(key);
    if (kept == results_.cend() || kept->link != masked(link))
        return nullptr;
    return &*kept;
}

const KeptResult& ResultsStore::record(const QByteArray& key, const QString& link,
                                       const Judgement& judgement, const QDateTime& now)
{
    changed_ = true;
    const auto kept = results_.constFind(key);
    const KeptResult* previous = kept == results_.cend() ? nullptr : &*kept;
    Judgement shown = judgement;
    shown.text = masked(judgement.text);
    shown.reason = masked(judgement.reason);
    return *results_.insert(key, NextResult(previous, masked(link), shown, now));
}

bool ResultsStore::recordArchive(const QByteArray& key, const QString& link,
                                 const QString& snapshotUrl, const QString& snapshotTimestamp,
                                 const QDateTime& now)
{
    const auto kept = results_.find(key);
    if (kept == results_.end() || kept->link != masked(link))
        return false;
    kept->archiveAsked = now;
    kept->archiveUrl = snapshotUrl;
    kept->archiveTimestamp = snapshotUrl.isEmpty() ? QString() : snapshotTimestamp;
    changed_ = true;
    return true;
}

void ResultsStore::holdFolder(const QByteArray& folderKey)
{
    // The Favorites folder itself holds every link.
    held_.append(folderKey == "." ? QByteArray() : folderKey + '/');
}

bool ResultsStore::isHeld(const QByteArray& key) const
{
    return std::any_of(held_.cbegin(), held_.cend(),
                       [&key](const QByteArray& folder) { return key.startsWith(folder); });
}

void ResultsStore::retain(const std::function<bool(const QByteArray&)>& keep)
{
    for (auto it = results_.begin(); it != results_.end();) {
        if (keep(it.key()) || isHeld(it.key())) {
            ++it;
            continue;
        }
        it = results_.erase(it);
        changed_ = true;
    }
}
