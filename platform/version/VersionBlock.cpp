#include "VersionBlock.h"

#include "VersionBlockFormat.h"

#include <vector>

namespace {

using namespace VersionBlockFormat;

struct Node
{
    explicit Node(QString nodeKey, std::uint16_t nodeType = TypeText)
        : key(std::move(nodeKey)), type(nodeType)
    {
    }

    QString key;
    std::uint16_t type;
    QByteArray value;
    std::uint16_t valueLength = 0; // in bytes for binary values, in characters for text
    std::vector<Node> children;
};

void appendWord(QByteArray& out, std::uint16_t word)
{
    out.append(static_cast<char>(word & 0xFF));
    out.append(static_cast<char>(word >> 8));
}

void appendDword(QByteArray& out, std::uint32_t dword)
{
    appendWord(out, static_cast<std::uint16_t>(dword & 0xFFFF));
    appendWord(out, static_cast<std::uint16_t>(dword >> 16));
}

void putWord(QByteArray& out, qsizetype at, std::uint16_t word)
{
    out[at] = static_cast<char>(word & 0xFF);
    out[at + 1] = static_cast<char>(word >> 8);
}

void appendText(QByteArray& out, const QString& text)
{
    for (const QChar c : text)
        appendWord(out, c.unicode());
    appendWord(out, 0);
}

void padTo32Bits(QByteArray& out)
{
    out.append(align4(out.size()) - out.size(), '\0');
}

// Appends node at the end of out, which is on a 32-bit boundary. False when
// a length does not fit its 16-bit field.
bool appendNode(QByteArray& out, const Node& node)
{
    const qsizetype start = out.size();
    out.append(HeaderSize, '\0');
    appendText(out, node.key);
    padTo32Bits(out);
    out.append(node.value);
    for (const Node& child : node.children) {
        padTo32Bits(out);
        if (!appendNode(out, child))
            return false;
    }
    const qsizetype length = out.size() - start;
    if (length > 0xFFFF)
        return false;
    putWord(out, start, static_cast<std::uint16_t>(length));
    putWord(out, start + 2, node.valueLength);
    putWord(out, start + 4, node.type);
    return true;
}

std::uint32_t highLow(std::uint16_t high, std::uint16_t low)
{
    return (std::uint32_t(high) << 16) | low;
}

QByteArray fixedInfo(const VersionInfo& info)
{
    QByteArray out;
    appendDword(out, FixedInfoSignature);
    appendDword(out, FixedInfoStructVersion);
    appendDword(out, highLow(info.fileVersion[0], info.fileVersion[1]));
    appendDword(out, highLow(info.fileVersion[2], info.fileVersion[3]));
    appendDword(out, highLow(info.productVersion[0], info.productVersion[1]));
    appendDword(out, highLow(info.productVersion[2], info.productVersion[3]));
    appendDword(out, FixedFlagsMask);
    appendDword(out, 0); // flags: not a debug, patched or pre-release build
    appendDword(out, OsWindows32);
    appendDword(out, FileTypeApp);
    appendDword(out, 0); // subtype
    appendDword(out, 0); // date, high
    appendDword(out, 0); // date, low
    return out;
}

Node stringFileInfo(const VersionInfo& info)
{
    Node node{QLatin1String(StringFileInfoKey)};
    for (const VersionInfo::Table& table : info.tables) {
        Node tableNode{table.key};
        for (const auto& [name, text] : table.strings) {
            Node entry{name};
            appendText(entry.value, text);
            entry.valueLength = static_cast<std::uint16_t>(text.size() + 1);
            tableNode.children.push_back(std::move(entry));
        }
        node.children.push_back(std::move(tableNode));
    }
    return node;
}

Node varFileInfo(const VersionInfo& info)
{
    Node var{QLatin1String(TranslationName), TypeBinary};
    for (const auto& [language, codePage] : info.translations) {
        appendWord(var.value, language);
        appendWord(var.value, codePage);
    }
    var.valueLength = static_cast<std::uint16_t>(var.value.size());
    Node node{QLatin1String(VarFileInfoKey)};
    node.children.push_back(std::move(var));
    return node;
}

} // namespace

QByteArray BuildVersionBlock(const VersionInfo& info)
{
    Node root{QLatin1String(RootKey), TypeBinary};
    root.value = fixedInfo(info);
    root.valueLength = FixedInfoSize;
    if (!info.tables.isEmpty())
        root.children.push_back(stringFileInfo(info));
    if (!info.translations.isEmpty())
        root.children.push_back(varFileInfo(info));
    QByteArray block;
    if (!appendNode(block, root))
        return QByteArray();
    return block;
}

QString TranslationKey(std::uint16_t language, std::uint16_t codePage)
{
    return QString::asprintf("%04X%04X", unsigned(language), unsigned(codePage));
}
