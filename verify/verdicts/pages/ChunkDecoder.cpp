#include "ChunkDecoder.h"

#include <cerrno>

namespace {

const iconv_t NoIconv = reinterpret_cast<iconv_t>(-1);

// QString's own storage order, so iconv writes straight into it.
const char* const HostUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

// No charset iconv knows has a character longer than this; a longer
// "incomplete" tail is damage, not a cut.
constexpr qsizetype LongestCharacter = 8;

} // namespace

ChunkDecoder::ChunkDecoder(const QByteArray& charset, BadBytes badBytes)
    : handle_(NoIconv), badBytes_(badBytes)
{
    open(charset);
}

ChunkDecoder::~ChunkDecoder()
{
    if (isValid())
        iconv_close(handle_);
}

void ChunkDecoder::open(const QByteArray& charset)
{
    if (isValid())
        iconv_close(handle_);
    handle_ = charset.isEmpty() ? NoIconv : iconv_open(HostUtf16, charset.constData());
}

bool ChunkDecoder::isValid() const
{
    return handle_ != NoIconv;
}

QString ChunkDecoder::decode(QByteArrayView bytes)
{
    if (!isValid())
        return {};
    QByteArray input = pending_ + bytes.toByteArray();
    pending_.clear();
    QString text(input.size() + 8, Qt::Uninitialized);
    char* in = input.data();
    size_t inLeft = size_t(input.size());
    qsizetype used = 0; // bytes of text written
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(text.data()) + used;
        size_t outLeft = size_t(text.size() * 2 - used);
        const size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
        used = out - reinterpret_cast<char*>(text.data());
        if (result != size_t(-1))
            break;
        if (errno == E2BIG) {
            text.resize(text.size() * 2 + 8);
            continue;
        }
        if (errno == EINVAL && qsizetype(inLeft) < LongestCharacter) {
            pending_ = QByteArray(in, qsizetype(inLeft));
            break;
        }
        if (badBytes_ == BadBytes::SwitchToWindows1252) {
            badBytes_ = BadBytes::Replace;
            open("CP1252");
            if (!isValid())
                break;
            continue;
        }
        if (used / 2 >= text.size())
            text.resize(text.size() + 8);
        text[used / 2] = QChar::ReplacementCharacter;
        used += 2;
        ++in;
        --inLeft;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    text.truncate(used / 2);
    return text;
}
