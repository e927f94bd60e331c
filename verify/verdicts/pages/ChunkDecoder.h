#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <iconv.h>

// Decodes text that arrives in pieces, through iconv, so any charset glibc
// knows works. A character cut at the end of a piece waits for the next one;
// a byte sequence the charset does not define becomes U+FFFD.
class ChunkDecoder final
{
public:
    enum class BadBytes
    {
        Replace,
        // A page that declares no charset and is not UTF-8 after all is
        // windows-1252, the web's old default; the ASCII before the first
        // such byte reads the same either way.
        SwitchToWindows1252,
    };

    // charset is an iconv name; isValid() tells whether iconv knows it.
    explicit ChunkDecoder(const QByteArray& charset, BadBytes badBytes = BadBytes::Replace);
    ~ChunkDecoder();
    ChunkDecoder(const ChunkDecoder&) = delete;
    ChunkDecoder& operator=(const ChunkDecoder&) = delete;

    bool isValid() const;
    QString decode(QByteArrayView bytes);

private:
    void open(const QByteArray& charset);

    iconv_t handle_;
    QByteArray pending_;
    BadBytes badBytes_;
};
