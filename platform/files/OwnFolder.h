#pragma once

#include "UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <string>

// A folder the program keeps its own files in: the config folder with
// Config.ini, the state folder with the results of runs. Whoever else may
// write there could plant a link that we would read or write through with
// our rights (root's, under sudo). So such a folder serves only when it
// belongs to the effective user and neither group nor others may write to
// it; its files are reached by name from the open folder, never through a
// link, and only when they are regular files of ours.
class OwnFolder final
{
public:
    // Opens the folder at path as it is now; a link to it is followed, and
    // where it leads is what is checked.
    explicit OwnFolder(const std::filesystem::path& path);

    // There, and ours: its files may be read and written.
    bool isUsable() const { return fd_.isOpen(); }
    // Why the folder may not be used ("… belongs to another user"); empty
    // when it may be, and when it is missing or cannot be opened.
    const QString& refusal() const { return refusal_; }

    // Reads the file name: 0, or the errno value that kept it from being
    // read (ENOENT when it or the folder is missing, EFBIG past limit,
    // EISDIR or EINVAL for what is no regular file). A refused folder, a
    // link or a file of another owner is not read, and *refusal (if given)
    // says why.
    int read(const std::string& name, qint64 limit, QByteArray& bytes,
             QString* refusal = nullptr) const;
    // Replaces the file name atomically by a private one holding bytes (see
    // WritePrivateFileAt); false, with *error saying why, when it was not.
    bool write(const std::string& name, const QByteArray& bytes, QString* error = nullptr) const;
    // Removes the file name when it is a regular file of ours (a link
    // there is refused, never followed); a missing one counts as removed.
    // False, with *error saying why, when it is still there.
    bool remove(const std::string& name, QString* error = nullptr) const;
    // Renames the file name to aside, or to aside + "-2", "-3", … when that
    // is taken, so nothing set aside earlier is ever replaced. Gives the name
    // used, or an empty one with errno set.
    std::string renameAside(const std::string& name, const std::string& aside) const;

private:
    QString shown(const std::string& name) const;

    std::filesystem::path path_;
    UniqueFd fd_;
    int error_ = 0; // why the folder could not be opened
    QString refusal_;
};

// Why the file at path, in a folder of the program's own, can be neither
// read nor written; empty when it can, and when it or its folder is missing.
QString OwnFileRefusal(const std::filesystem::path& file);
