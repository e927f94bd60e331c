#pragma once

#include "FileId.h"
#include "ProfileSection.h"
#include "ProfileSyntax.h"
#include "TextCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

class ProfileSearch;
class ProfileSectionScan;

// Keys with their values, in the order they are written.
using ProfileValues = QList<std::pair<QString, QString>>;

// Real shortcut files are a few kilobytes and a value is cut at 2047
// characters anyway; a huge (perhaps sparse) file must not hold a scan up.
inline constexpr qint64 OneShotReadLimit = 1024 * 1024;

// One-shot read of [section] key from a private-profile file, with the
// Windows reader's rules. Missing or unreadable file (also a FIFO, a socket,
// a directory), section or key gives def. Never blocks. Only the first
// OneShotReadLimit bytes are read.
QString ReadProfileString(const std::filesystem::path& file, const QString& section,
                          const QString& key, const QString& def = QString());
// The same for a native path string, without making a std::filesystem::path
// for every file of a scan.
QString ReadProfileString(const std::filesystem::path::value_type* file, const QString& section,
                          const QString& key, const QString& def = QString());
// The same for the file name inside the directory open as dirFd.
QString ReadProfileStringAt(int dirFd, const char* name, const QString& section, const QString& key,
                            const QString& def = QString());
// The same, and *nameId says what name is (its link, if it is one) as the
// read found it, so a scan needs no second look at the file.
QString ReadProfileStringAt(int dirFd, const char* name, const QString& section, const QString& key,
                            FileId& nameId);

// The whole text that the reads above look keys up in, for a caller that
// wants more than one key of a file: same limits, same refusals, nothing
// when the file cannot be read; *nameId (if given) as above, and *stamp (if
// given as well) what the name was when it was read.
std::optional<QString> ReadProfileTextAt(int dirFd, const char* name, FileId* nameId,
                                         FileStamp* stamp = nullptr);

// The same lookup over text that is already in memory.
QString LookupProfileString(const QString& text, const QString& section, const QString& key,
                            const QString& def = QString());

// A private-profile file kept in memory for reading and in-place editing.
// Writing keeps every untouched line byte for byte, the encoding and the line
// endings; save() replaces the file atomically.
//
// A line without '=' is not a key: the reader skips it, and setValue() leaves
// it alone and adds "key=value" as a new line.
class ProfileFile final
{
public:
    explicit ProfileFile(std::filesystem::path path);

    // Reads the file; a missing file is an empty profile (returns true).
    // Returns false only when an existing file cannot be read.
    bool load();
    void loadFromBytes(const QByteArray& bytes);

    QString value(const QString& section, const QString& key, const QString& def = QString()) const;
    // Every key of the section at once, for a section read key by key.
    ProfileSection section(const QString& name) const;

    // CR and LF in the section, key or value become spaces, so a value can
    // never start a line of its own. A value that the reader would change
    // (blanks at either end, or enclosed in a pair of like quotes) is written
    // inside one more pair of double quotes, which the reader removes again.
    // A key that cannot be written as one (it contains '=' or begins with
    // '[') is refused and nothing changes.
    void setValue(const QString& section, const QString& key, const QString& value);
    // The same for many keys of one section, in one walk of the file: the
    // result is that of setValue() called for each in turn.
    void setValues(const QString& section, const ProfileValues& values);

    // The bytes that save() would write.
    QByteArray toBytes() const;

    // Atomic replace: temporary file in the same folder, flushed, renamed.
    // A file whose owner-write bit is off is refused before anything is
    // touched. On failure *error (if given) says why and nothing changed.
    bool save(QString* error = nullptr) const;

    const std::filesystem::path& path() const { return path_; }

private:
    struct Line
    {
        QByteArray raw;    // exactly as in the file, without the line end
        QByteArray ending; // the line end's bytes; empty on a last line without one
        QString text;      // raw decoded
    };

    void clear();
    QString decodeLine(const QByteArray& raw) const;
    QByteArray encodeLine(const QString& text) const;
    Line makeLine(const QString& text) const;
    void setLineText(Line& line, const QString& text) const;
    void replaceValue(Line& line, const QString& valueText) const;
    void endLastLine();
    ProfileSearch search(const QString& section, const QString& key) const;
    // Calls onKey(line index, parsed line) for each key line of the first
    // section of that name.
    template <typename OnKey> ProfileSectionScan walkSection(QStringView name, OnKey onKey) const;

    std::filesystem::path path_;
    std::vector<Line> lines_;
    QByteArray bom_;
    QString lineEnding_ = QStringLiteral("\n"); // for added lines: the file's first one
    TextEncoding encoding_ = TextEncoding::Utf8;
    int codePage_ = 1252; // the ANSI code page an 8-bit file was read with
};
