#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <cstddef>
#include <cstdint>

// Cuts one fuzz input into the pieces a check needs. A piece is a length
// byte and that many bytes; whatever is left at the end is the rest. Running
// out of bytes gives empty pieces, so every input is usable.
class FuzzInput final
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte()
    {
        if (at_ >= size_)
            return 0;
        return data_[at_++];
    }

    QByteArray piece()
    {
        const std::size_t wanted = byte();
        const std::size_t length = wanted < size_ - at_ ? wanted : size_ - at_;
        const QByteArray bytes(reinterpret_cast<const char*>(data_ + at_), qsizetype(length));
        at_ += length;
        return bytes;
    }

    // UTF-8 with a leading U+FEFF kept: it is a character like any other here.
    QString text()
    {
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless |
                                   QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(piece());
    }

    QByteArray rest()
    {
        const QByteArray bytes(reinterpret_cast<const char*>(data_ + at_), qsizetype(size_ - at_));
        at_ = size_;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
