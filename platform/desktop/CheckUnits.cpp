#include "CheckUnits.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStringDecoder>
#include <functional>
#include <vector>

namespace {

// Words that mean the same to systemd and to the shell without quotes.
bool isPlainWord(const QByteArray& word)
{
    if (word.isEmpty())
        return false;
    for (const char c : word) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || QByteArrayView("/._+,:@=-").contains(c);
        if (!plain)
            return false;
    }
    return true;
}

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoding runs when its result is taken as a string.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QByteArray hexEscape(unsigned char byte)
{
    return "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
}

// One word of ExecStart=: in double quotes, with systemd's own escapes for
// its specifiers ('%'), variables ('$') and C escapes; a name that is no
// UTF-8 keeps its bytes as \x escapes, so the unit file stays valid text.
QByteArray systemdWord(const QByteArray& word)
{
    if (isPlainWord(word))
        return word;
    const bool keepHighBytes = isUtf8(word);
    QByteArray quoted = "\"";
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"')
            quoted += QByteArray("\\") + c;
        else if (c == '%' || c == '$')
            quoted += QByteArray(2, c);
        else if (byte < 0x20 || byte == 0x7f || (byte >= 0x80 && !keepHighBytes))
            quoted += hexEscape(byte);
        else
            quoted += c;
    }
    return quoted + '"';
}

// One word of a crontab line: single quotes for the shell, and cron's '%'
// (a line break to cron) escaped, which cron undoes before the shell sees it.
QByteArray shellWord(const QByteArray& word)
{
    QByteArray quoted = word;
    if (!isPlainWord(word))
        quoted = "'" + quoted.replace('\'', "'\\''") + "'";
    return quoted.replace('%', "\\%");
}

QByteArray commandLine(const std::filesystem::path& executable, const std::filesystem::path& folder,
                       const std::function<QByteArray(const QByteArray&)>& quote)
{
    std::vector<QByteArray> words{QByteArray::fromStdString(executable.native()), "--check"};
    if (!folder.empty())
        words.push_back(QByteArray::fromStdString(folder.native()));
    words.insert(words.end(), {"--notify", "--format", "text"});
    QByteArray line;
    for (const QByteArray& word : words)
        line += (line.isEmpty() ? QByteArray() : QByteArray(" ")) + quote(word);
    return line;
}

// The first line names the writer and holds a checksum of the rest, so a
// file changed by hand is seen as the person's own.
QByteArray stamped(const QByteArray& body)
{
    const QByteArray sum = QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex();
    return "# Written by Orvanta, which rewrites or removes this file only while it is "
           "unchanged (sha256 " +
           sum + ").\n" + body;
}

} // namespace

QByteArray CheckServiceText(const std::filesystem::path& executable,
                            const std::filesystem::path& folder)
{
    return stamped("[Unit]\n"
                   "Description=Orvanta's check of the Favorites links\n"
                   "\n"
                   "[Service]\n"
                   "Type=oneshot\n"
                   "# Exit code 1 says that some links are dead: the check itself went well.\n"
                   "SuccessExitStatus=1\n"
                   "ExecStart=" +
                   commandLine(executable, folder, systemdWord) + "\n");
}

QByteArray CheckTimerText(CheckPeriod period)
{
    const QByteArray word = CheckPeriodWord(period).toLatin1();
    return stamped("[Unit]\n"
                   "Description=Orvanta's check of the Favorites links, " +
                   word +
                   "\n"
                   "\n"
                   "[Timer]\n"
                   "OnCalendar=" +
                   word +
                   "\n"
                   "Persistent=true\n"
                   "RandomizedDelaySec=1h\n"
                   "\n"
                   "[Install]\n"
                   "WantedBy=timers.target\n");
}

bool IsOwnUnitText(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf('\n');
    return end >= 0 && stamped(bytes.mid(end + 1)) == bytes;
}

QString CheckCrontabLine(CheckPeriod period, const std::filesystem::path& executable,
                         const std::filesystem::path& folder)
{
    const QByteArray line =
        '@' + CheckPeriodWord(period).toLatin1() + ' ' + commandLine(executable, folder, shellWord);
    if (line.contains('\n') || line.contains('\r'))
        return {};
    return QFile::decodeName(line);
}
