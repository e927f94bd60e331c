#pragma once

#include <QChar>
#include <QString>
#include <string>

// Path pieces of the scan, on native byte strings. Separators are '/' here
// (and on Windows also '\\' and ':').
std::string DirectoryPart(const std::string& path);    // up to and including the last separator
std::string FileNamePart(const std::string& path);     // after the last separator
std::string NameWithoutExtension(const std::string& name); // only the last extension goes

// The n-th (1-based) field of text split at separator; empty when text holds
// fewer than n-1 separators.
QString ExtractField(const QString& text, QChar separator, int n);
