#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>

// Values are cut to this many characters, as the Windows reader does.
inline constexpr int ProfileValueBound = 2047;

// One-shot read of [section] key from a private-profile file, with the
// Windows reader's rules. Missing or unreadable file (also a FIFO, a socket,
// a directory), section or key gives def. Never blocks.
QString ReadProfileString(const std::filesystem::path& file, const QString& section,
                          const QString& key, const QString& def = QString());

// The same lookup over text that is already in memory.
QString LookupProfileString(const QString& text, const QString& section, const QString& key,
                            const QString& def = QString());

// A private-profile file kept in memory for reading and in-place editing.
// Writing keeps every untouched line byte for byte, the encoding and the line
// endings; save() replaces the file atomically.
class ProfileFile final
{
public:
    explicit ProfileFile(std::filesystem::path path);

    // Reads the file; a missing file is an empty profile (returns true).
    // Returns false only when an existing file cannot be read.
    bool load();
    void loadFromBytes(const QByteArray& bytes);

    QString value(const QString& section, const QString& key, const QString& def = QString()) const;
    void setValue(const QString& section, const QString& key, const QString& value);

    // The bytes that save() would write.
    QByteArray toBytes() const;

    // Atomic replace: temporary file in the same folder, flushed, renamed.
    // A file whose owner-write bit is off is refused before anything is
    // touched. On failure *error (if given) says why and nothing changed.
    bool save(QString* error = nullptr) const;

    const std::filesystem::path& path() const { return path_; }

private:
    struct Line;
    std::filesystem::path path_;
    QStringList lines_;      // decoded lines without their endings
    QString lineEnding_;     // "\r\n", "\n" or "\r"
    bool endsWithNewline_ = true;
    int encoding_ = 0;       // TextEncoding of the source
    bool fromFile_ = false;
};
