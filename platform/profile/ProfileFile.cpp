#include "ProfileFile.h"

#include "AtomicFile.h"
#include "ProfileSearch.h"
#include "ProfileSectionScan.h"
#include "ProfileSyntax.h"
#include "RegularFile.h"

#include <QHash>
#include <QtEndian>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A buffer this big after an odd huge file is given back rather than kept.
constexpr qsizetype KeptBufferBytes = 1024 * 1024;

QString cleanName(const QString& name)
{
    QString clean = name;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    return TrimProfileBlanks(clean).toString();
}

// The text to put after '=' so that the reader hands back exactly value.
QString valueForLine(const QString& value)
{
    QString text = value;
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    if (text.isEmpty())
        return text;
    const QChar first = text.front();
    const bool enclosedInQuotes =
        text.size() >= 2 && (first == u'"' || first == u'\'') && text.back() == first;
    if (IsProfileBlank(first) || IsProfileBlank(text.back()) || enclosedInQuotes)
        return u'"' + text + u'"';
    return text;
}

bool hasHighByte(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

QString LookupProfileString(const QString& text, const QString& section, const QString& key,
                            const QString& def)
{
    ProfileSearch search(section, key);
    SearchProfileText(text, {&search, 1});
    return search.found() ? ProfileValueText(search.rawValue()) : def;
}

QString ReadProfileString(const std::filesystem::path& file, const QString& section,
                          const QString& key, const QString& def)
{
    return ReadProfileString(file.c_str(), section, key, def);
}

QString ReadProfileString(const std::filesystem::path::value_type* file, const QString& section,
                          const QString& key, const QString& def)
{
    return ReadProfileStringAt(AT_FDCWD, file, section, key, def);
}

std::optional<QString> ReadProfileTextAt(int dirFd, const char* name, FileId* nameId,
                                         FileStamp* stamp)
{
    // Called once per shortcut of a Favorites scan: the read buffer is
    // reused instead of allocated for every file.
    thread_local QByteArray buffer;
    int error = ReadFileStartAt(dirFd, name, OneShotReadLimit, buffer, nameId, stamp);
    if (error == ELOOP && nameId) {
        // A link in the shortcut's place: it is read through, and what the
        // name itself is comes from a look at the link.
        struct stat link;
        const bool seen = ::fstatat(dirFd, name, &link, AT_SYMLINK_NOFOLLOW) == 0;
        *nameId = seen ? FileIdOf(link) : FileId{};
        if (stamp)
            *stamp = seen ? FileStampOf(link) : FileStamp{};
        error = ReadFileStartAt(dirFd, name, OneShotReadLimit, buffer);
    }
    std::optional<QString> text;
    if (error == 0)
        text = DecodeText(buffer);
    if (buffer.capacity() > KeptBufferBytes)
        buffer = QByteArray();
    return text;
}

namespace {

QString readProfileStringAt(int dirFd, const char* name, const QString& section, const QString& key,
                            const QString& def, FileId* nameId)
{
    const std::optional<QString> text = ReadProfileTextAt(dirFd, name, nameId);
    return text ? LookupProfileString(*text, section, key, def) : def;
}

} // namespace

QString ReadProfileStringAt(int dirFd, const char* name, const QString& section, const QString& key,
                            const QString& def)
{
    return readProfileStringAt(dirFd, name, section, key, def, nullptr);
}

QString ReadProfileStringAt(int dirFd, const char* name, const QString& section, const QString& key,
                            FileId& nameId)
{
    nameId = {};
    return readProfileStringAt(dirFd, name, section, key, QString(), &nameId);
}

ProfileFile::ProfileFile(std::filesystem::path path) : path_(std::move(path))
{
    clear();
}

void ProfileFile::clear()
{
    lines_.clear();
    bom_.clear();
    lineEnding_ = QStringLiteral("\n");
    encoding_ = TextEncoding::Utf8;
    codePage_ = AnsiCodePage();
}

bool ProfileFile::load()
{
    QByteArray bytes;
    const int error = ReadRegularFile(path_, bytes);
    clear();
    if (error == ENOENT)
        return true;
    if (error != 0)
        return false;
    loadFromBytes(bytes);
    return true;
}

void ProfileFile::loadFromBytes(const QByteArray& bytes)
{
    clear();
    encoding_ = DetectEncoding(bytes);
    bom_ = ByteOrderMark(encoding_);
    const QByteArrayView body = QByteArrayView(bytes).sliced(bom_.size());

    // Split the bytes, not the decoded text, so every line keeps its exact
    // bytes and its own line end.
    const bool wide = encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE;
    const qsizetype unit = wide ? 2 : 1;
    const auto unitAt = [&](qsizetype at) -> char16_t {
        if (!wide)
            return uchar(body[at]);
        return encoding_ == TextEncoding::Utf16LE ? qFromLittleEndian<char16_t>(body.data() + at)
                                                  : qFromBigEndian<char16_t>(body.data() + at);
    };
    qsizetype start = 0;
    qsizetype at = 0;
    while (at + unit <= body.size()) {
        const char16_t c = unitAt(at);
        if (c != u'\r' && c != u'\n') {
            at += unit;
            continue;
        }
        qsizetype endingSize = unit;
        if (c == u'\r' && at + 2 * unit <= body.size() && unitAt(at + unit) == u'\n')
            endingSize += unit;
        Line line;
        line.raw = body.sliced(start, at - start).toByteArray();
        line.ending = body.sliced(at, endingSize).toByteArray();
        line.text = decodeLine(line.raw);
        lines_.push_back(std::move(line));
        at += endingSize;
        start = at;
    }
    if (start < body.size()) {
        Line line;
        line.raw = body.sliced(start).toByteArray();
        line.text = decodeLine(line.raw);
        lines_.push_back(std::move(line));
    }
    if (!lines_.empty() && !lines_.front().ending.isEmpty())
        lineEnding_ = decodeLine(lines_.front().ending);
}

QString ProfileFile::decodeLine(const QByteArray& raw) const
{
    return encoding_ == TextEncoding::Ansi ? DecodeCodePage(raw, codePage_)
                                           : DecodeBody(raw, encoding_);
}

QByteArray ProfileFile::encodeLine(const QString& text) const
{
    return encoding_ == TextEncoding::Ansi ? EncodeCodePage(text, codePage_)
                                           : EncodeBody(text, encoding_);
}

void ProfileFile::setLineText(Line& line, const QString& text) const
{
    line.raw = encodeLine(text);
    // What the file will hold, so a character the code page lacks reads
    // back here as it will from disk.
    line.text = decodeLine(line.raw);
}

ProfileFile::Line ProfileFile::makeLine(const QString& text) const
{
    Line line;
    setLineText(line, text);
    line.ending = encodeLine(lineEnding_);
    return line;
}

void ProfileFile::endLastLine()
{
    if (lines_.empty() || !lines_.back().ending.isEmpty())
        return;
    Line& last = lines_.back();
    // A UTF-16 file cut inside a unit: the stray byte would shift every line
    // added after it by one byte, so the line is written as it was read.
    const bool wide = encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE;
    if (wide && last.raw.size() % 2 != 0)
        setLineText(last, last.text);
    last.ending = encodeLine(lineEnding_);
}

ProfileSearch ProfileFile::search(const QString& section, const QString& key) const
{
    ProfileSearch search(section, key);
    for (const Line& line : lines_) {
        if (!search.feed(line.text))
            break;
    }
    return search;
}

QString ProfileFile::value(const QString& section, const QString& key, const QString& def) const
{
    const ProfileSearch found = search(section, key);
    return found.found() ? ProfileValueText(found.rawValue()) : def;
}

template <typename OnKey>
ProfileSectionScan ProfileFile::walkSection(QStringView name, OnKey onKey) const
{
    ProfileSectionScan scan(name);
    for (qsizetype at = 0; at < qsizetype(lines_.size()); ++at) {
        const ProfileSectionScan::Step step = scan.feed(lines_[size_t(at)].text);
        if (step == ProfileSectionScan::Step::Done)
            break;
        if (step == ProfileSectionScan::Step::Inside && scan.line().kind == ProfileLine::Key)
            onKey(at, scan.line());
    }
    return scan;
}

ProfileSection ProfileFile::section(const QString& name) const
{
    ProfileSection keys;
    walkSection(name,
                [&keys](qsizetype, const ProfileLine& line) { keys.add(line.name, line.value); });
    return keys;
}

void ProfileFile::setValue(const QString& section, const QString& key, const QString& value)
{
    setValues(section, {{key, value}});
}

void ProfileFile::replaceValue(Line& line, const QString& valueText) const
{
    // Keep the key as the file spells it, and any blanks after '='.
    qsizetype valueStart = line.text.indexOf(u'=') + 1;
    while (valueStart < line.text.size() && IsProfileBlank(line.text[valueStart]))
        ++valueStart;
    setLineText(line, line.text.first(valueStart) + valueText);
}

void ProfileFile::setValues(const QString& section, const ProfileValues& values)
{
    const QString sectionName = cleanName(section);
    QHash<QString, qsizetype> keyLines; // by folded name: the first line of each key
    const ProfileSectionScan scan =
        walkSection(sectionName, [&keyLines](qsizetype at, const ProfileLine& line) {
            const QString name = FoldProfileName(line.name);
            if (!keyLines.contains(name))
                keyLines.insert(name, at);
        });
    std::vector<Line> added;
    QHash<QString, size_t> addedLines; // by folded name: where in added
    for (const auto& [key, value] : values) {
        const QString keyName = cleanName(key);
        if (keyName.contains(u'=') || keyName.startsWith(u'[')) {
            qWarning("Profile key \"%s\" cannot be written", qUtf8Printable(keyName));
            continue;
        }
        const QString text = valueForLine(value);
        const QString name = FoldProfileName(keyName);
        if (const auto found = keyLines.constFind(name); found != keyLines.cend()) {
            replaceValue(lines_[size_t(*found)], text);
        } else if (const auto again = addedLines.constFind(name); again != addedLines.cend()) {
            replaceValue(added[*again], text);
        } else {
            addedLines.insert(name, added.size());
            added.push_back(makeLine(keyName + u'=' + text));
        }
    }
    if (added.empty())
        return;
    qsizetype insertAt = scan.lastContentLine() + 1;
    if (scan.headerLine() < 0) {
        endLastLine();
        lines_.push_back(makeLine(u'[' + sectionName + u']'));
        insertAt = qsizetype(lines_.size());
    } else if (insertAt == qsizetype(lines_.size())) {
        endLastLine();
    }
    lines_.insert(lines_.begin() + insertAt, std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
}

QByteArray ProfileFile::toBytes() const
{
    QByteArray bytes = bom_;
    for (const Line& line : lines_)
        bytes += line.raw + line.ending;
    // An 8-bit file is told from UTF-8 only by its bytes. If an edit made the
    // whole file valid UTF-8, the next read would take it for UTF-8 and get
    // other characters; writing the same text as UTF-8 keeps it.
    if (encoding_ == TextEncoding::Ansi && hasHighByte(bytes) && DecodeUtf8Strict(bytes)) {
        bytes.clear();
        for (const Line& line : lines_)
            bytes += (line.text + decodeLine(line.ending)).toUtf8();
    }
    return bytes;
}

bool ProfileFile::save(QString* error) const
{
    return WriteFileAtomically(path_, toBytes(), error);
}
