#include "VersionBlock.h"

#include "UniqueFd.h"
#include "VersionBlockFormat.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

namespace {

using namespace VersionBlockFormat;

// One node of a block, checked against the bytes it lies in: nothing here
// points outside [start, end), and end never passes the buffer.
struct Node
{
    qsizetype start = 0;
    qsizetype end = 0;
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    QString key;
    qsizetype valueStart = 0;
    qsizetype childrenStart = 0;
};

class BlockReader final
{
public:
    BlockReader(const QByteArray& data, qsizetype base) : data_(data), base_(base) {}

    std::uint16_t word(qsizetype at) const
    {
        return static_cast<std::uint16_t>(static_cast<std::uint8_t>(data_[at]) |
                                          (static_cast<std::uint8_t>(data_[at + 1]) << 8));
    }

    std::uint32_t dword(qsizetype at) const
    {
        return word(at) | (std::uint32_t(word(at + 2)) << 16);
    }

    qsizetype aligned(qsizetype at) const { return base_ + align4(at - base_); }

    // Reads the node header at start; the node must end by limit.
    bool parse(qsizetype start, qsizetype limit, Node& node) const
    {
        if (start < 0 || limit - start < HeaderSize)
            return false;
        const std::uint16_t length = word(start);
        if (length < HeaderSize || length > limit - start)
            return false;
        node.start = start;
        node.end = start + length;
        node.valueLength = word(start + 2);
        node.type = word(start + 4);
        node.key.clear();
        qsizetype at = start + HeaderSize;
        for (;; at += 2) {
            if (node.end - at < 2)
                return false; // the key runs past the node
            const std::uint16_t unit = word(at);
            if (unit == 0)
                break;
            node.key.append(QChar(unit));
        }
        node.valueStart = std::min(aligned(at + 2), node.end);
        const qsizetype valueBytes =
            node.type == TypeText ? 2 * qsizetype(node.valueLength) : node.valueLength;
        node.childrenStart = std::min(aligned(node.valueStart + valueBytes), node.end);
        return true;
    }

    // The first child of parent whose key matches name, ignoring case as Windows does.
    bool child(const Node& parent, const QString& name, Node& found) const
    {
        qsizetype at = parent.childrenStart;
        Node node;
        while (parse(at, parent.end, node)) {
            if (node.key.compare(name, Qt::CaseInsensitive) == 0) {
                found = node;
                return true;
            }
            at = aligned(node.end);
        }
        return false;
    }

    QString text(const Node& node) const
    {
        QString result;
        for (qsizetype at = node.valueStart; node.end - at >= 2; at += 2) {
            const std::uint16_t unit = word(at);
            if (unit == 0)
                break;
            result.append(QChar(unit));
        }
        return result;
    }

private:
    const QByteArray& data_;
    qsizetype base_;
};

QByteArray rootKeyUtf16()
{
    // Made at run time, so this reader leaves no copy of the key in the binary.
    QByteArray key;
    for (const char* c = RootKey;; ++c) {
        key.append(*c);
        key.append('\0');
        if (*c == '\0')
            break;
    }
    return key;
}

bool isVersionBlock(const BlockReader& reader, qsizetype start, qsizetype limit, Node& root)
{
    return reader.parse(start, limit, root) && root.valueLength == FixedInfoSize &&
           root.childrenStart - root.valueStart >= FixedInfoSize &&
           reader.dword(root.valueStart) == FixedInfoSignature;
}

QString productVersion(const BlockReader& reader, const Node& root)
{
    Node varInfo;
    Node translation;
    if (!reader.child(root, QLatin1String(VarFileInfoKey), varInfo) ||
        !reader.child(varInfo, QLatin1String(TranslationName), translation) ||
        translation.end - translation.valueStart < 4)
        return QString();
    // Only the first pair counts.
    const QString key = TranslationKey(reader.word(translation.valueStart),
                                       reader.word(translation.valueStart + 2));

    Node stringInfo;
    Node table;
    Node value;
    if (!reader.child(root, QLatin1String(StringFileInfoKey), stringInfo) ||
        !reader.child(stringInfo, key, table) ||
        !reader.child(table, QLatin1String("ProductVersion"), value))
        return QString();
    return reader.text(value);
}

class MappedFile final
{
public:
    explicit MappedFile(const QString& path)
    {
        // Non-blocking, so that a FIFO in place of the file cannot hang the caller.
        const UniqueFd fd(::open(QFile::encodeName(path).constData(),
                                 O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (!fd.isOpen())
            return;
        // The mapping outlives the descriptor, which closes at the end here.
        struct stat st;
        if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* address = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                                   MAP_PRIVATE, fd.get(), 0);
            if (address != MAP_FAILED) {
                address_ = address;
                size_ = static_cast<std::size_t>(st.st_size);
            }
        }
    }
    ~MappedFile()
    {
        if (address_)
            ::munmap(address_, size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // A view without a copy; valid while this object lives.
    QByteArray bytes() const
    {
        return address_ ? QByteArray::fromRawData(static_cast<const char*>(address_),
                                                  static_cast<qsizetype>(size_))
                        : QByteArray();
    }

private:
    void* address_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace

QString ProductVersionFromBytes(const QByteArray& data)
{
    static const QByteArray needle = rootKeyUtf16();
    // The key alone proves nothing (any program may hold the text); only a
    // header that fits the buffer and is followed by the fixed info counts.
    for (qsizetype at = data.indexOf(needle); at >= 0; at = data.indexOf(needle, at + 1)) {
        const qsizetype start = at - HeaderSize;
        const BlockReader reader(data, start);
        Node root;
        if (start >= 0 && isVersionBlock(reader, start, data.size(), root))
            return productVersion(reader, root);
    }
    return QString();
}

QString ReadProductVersion(const QString& path)
{
    const MappedFile file(path);
    return ProductVersionFromBytes(file.bytes());
}
