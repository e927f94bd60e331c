#include "VersionBlock.h"

#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

namespace {

using Pair = QPair<std::uint16_t, std::uint16_t>;
using Strings = QList<QPair<QString, QString>>;

VersionInfo versionInfo(QList<Pair> translations, QList<VersionInfo::Table> tables)
{
    VersionInfo info;
    info.translations = std::move(translations);
    info.tables = std::move(tables);
    return info;
}

VersionInfo::Table table(const QString& key, const Strings& strings)
{
    VersionInfo::Table result;
    result.key = key;
    result.strings = strings;
    return result;
}

Strings productStrings(const QString& productVersion)
{
    return {{QStringLiteral("CompanyName"), QStringLiteral("Orvanta Software")},
            {QStringLiteral("InternalName"), QString()},
            {QStringLiteral("ProductVersion"), productVersion},
            {QStringLiteral("Comments"), QString()}};
}

// A block like the program's own: one pair, one table under its key.
QByteArray russianBlock(const QString& productVersion)
{
    return BuildVersionBlock(versionInfo(
        {{0x0419, 0x04E3}}, {table(QStringLiteral("041904E3"), productStrings(productVersion))}));
}

std::uint16_t word(const QByteArray& bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

std::uint32_t dword(const QByteArray& bytes, qsizetype at)
{
    return word(bytes, at) | (std::uint32_t(word(bytes, at + 2)) << 16);
}

void putWord(QByteArray& bytes, qsizetype at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

// Little-endian, as on the machines this runs on.
QByteArray utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 engine(seed);
    QByteArray bytes(size, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(engine() & 0xFF);
    return bytes;
}

} // namespace

TEST(VersionBlock, HasTheWindowsLayout)
{
    VersionInfo info = versionInfo({{0x0419, 0x04E3}},
                                   {table(QStringLiteral("041904E3"), productStrings("12.1.0.0"))});
    info.fileVersion[0] = 12;
    info.fileVersion[1] = 1;
    info.fileVersion[3] = 7;
    const QByteArray block = BuildVersionBlock(info);
    ASSERT_GT(block.size(), 92);
    EXPECT_EQ(word(block, 0), block.size());
    EXPECT_EQ(word(block, 2), 52); // VS_FIXEDFILEINFO follows the key
    EXPECT_EQ(block.mid(6, 32), utf16(QStringLiteral("VS_VERSION_INFO")) + QByteArray(2, '\0'));
    // Signature, structure version, file version 12.1.0.7, product version
    // left at its default, flags mask and flags, VOS__WINDOWS32, VFT_APP.
    const std::uint32_t fixed[] = {0xFEEF04BD, 0x10000, 0xC0001, 7, 0x10000, 0, 0x3F, 0, 4, 1};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(dword(block, 40 + 4 * i), fixed[i]) << i;

    // A String node: header, key, padding to 32 bits, value counted in characters.
    const qsizetype node = block.indexOf(utf16(QStringLiteral("ProductVersion"))) - 6;
    ASSERT_GT(node, 0);
    EXPECT_EQ(node % 4, 0);
    EXPECT_EQ(word(block, node), 6 + 30 + 18);
    EXPECT_EQ(word(block, node + 2), 9);
    EXPECT_EQ(word(block, node + 4), 1); // text
    EXPECT_EQ(block.mid(node + 36, 18), utf16(QStringLiteral("12.1.0.0")) + QByteArray(2, '\0'));

    // The translation list: language, then code page, as binary data.
    const qsizetype var = block.indexOf(utf16(QStringLiteral("Translation"))) - 6;
    ASSERT_GT(var, 0);
    EXPECT_EQ(var % 4, 0);
    EXPECT_EQ(word(block, var + 2), 4);
    EXPECT_EQ(word(block, var + 4), 0);
    EXPECT_EQ(dword(block, var + 32), 0x04E30419u);
}

TEST(VersionBlock, TranslationKeyIsFourUpperCaseDigitsPerWord)
{
    EXPECT_EQ(TranslationKey(0x0419, 0x04E3), QStringLiteral("041904E3"));
    EXPECT_EQ(TranslationKey(0x0409, 0x04B0), QStringLiteral("040904B0"));
    EXPECT_EQ(TranslationKey(0x0409, 65001), QStringLiteral("0409FDE9"));
    EXPECT_EQ(TranslationKey(0x8000, 0), QStringLiteral("80000000"));
    EXPECT_EQ(TranslationKey(0xFFFF, 0xABCD), QStringLiteral("FFFFABCD"));
}

TEST(ProductVersionFromBytes, ReadsTheFirstPairsTable)
{
    EXPECT_EQ(ProductVersionFromBytes(russianBlock("2.0.0.5")), QStringLiteral("2.0.0.5"));
    EXPECT_EQ(ProductVersionFromBytes(russianBlock("12.1.0.0")), QStringLiteral("12.1.0.0"));

    const QByteArray english = BuildVersionBlock(versionInfo(
        {{0x0409, 0x04B0}}, {table(QStringLiteral("041904E3"), productStrings("wrong")),
                             table(QStringLiteral("040904B0"), productStrings("2.5"))}));
    EXPECT_EQ(ProductVersionFromBytes(english), QStringLiteral("2.5"));

    const QByteArray utf8 = BuildVersionBlock(
        versionInfo({{0x0409, 65001}}, {table(QStringLiteral("0409FDE9"), productStrings("3.0"))}));
    EXPECT_EQ(ProductVersionFromBytes(utf8), QStringLiteral("3.0"));

    // Only the first pair counts.
    const QByteArray second = BuildVersionBlock(
        versionInfo({{0x0419, 0x04E3}, {0x0409, 0x04B0}},
                    {table(QStringLiteral("040904B0"), productStrings("2.0.0.5"))}));
    EXPECT_EQ(ProductVersionFromBytes(second), QString());
}

TEST(ProductVersionFromBytes, EmptyWhenSomethingIsMissing)
{
    // No translation list at all.
    EXPECT_EQ(ProductVersionFromBytes(BuildVersionBlock(
                  versionInfo({}, {table(QStringLiteral("041904E3"), productStrings("1.0"))}))),
              QString());
    // No string table.
    EXPECT_EQ(ProductVersionFromBytes(BuildVersionBlock(versionInfo({{0x0419, 0x04E3}}, {}))),
              QString());
    // No "ProductVersion", or an empty one.
    EXPECT_EQ(ProductVersionFromBytes(BuildVersionBlock(versionInfo(
                  {{0x0419, 0x04E3}},
                  {table(QStringLiteral("041904E3"), {{QStringLiteral("FileVersion"), "1.0"}})}))),
              QString());
    EXPECT_EQ(ProductVersionFromBytes(russianBlock(QString())), QString());
    EXPECT_EQ(ProductVersionFromBytes(QByteArray()), QString());
    EXPECT_EQ(ProductVersionFromBytes(randomBytes(4096, 1)), QString());
}

TEST(ProductVersionFromBytes, FindsTheBlockAmongOtherBytes)
{
    // The bare key (as a reader's own constant might be) and a header whose
    // fixed info is wrong come first; neither counts.
    QByteArray decoy = russianBlock("6.6.6.6");
    decoy[40] = 0; // signature broken
    const QByteArray data = randomBytes(1001, 2) + utf16(QStringLiteral("VS_VERSION_INFO")) +
                            QByteArray(2, '\0') + randomBytes(37, 3) + decoy + randomBytes(3, 4) +
                            russianBlock("1.2.3.4") + randomBytes(999, 5);
    EXPECT_EQ(ProductVersionFromBytes(data), QStringLiteral("1.2.3.4"));
}

TEST(ProductVersionFromBytes, DamagedBlocksNeverReadOutside)
{
    const QByteArray block = russianBlock("2.0.0.5");
    // Cut short anywhere: the root no longer fits.
    for (qsizetype size = 0; size < block.size(); ++size)
        EXPECT_EQ(ProductVersionFromBytes(block.left(size)), QString()) << size;

    // Lengths pointing past their parent or the buffer.
    const qsizetype product = block.indexOf(utf16(QStringLiteral("ProductVersion"))) - 6;
    for (const qsizetype at : {qsizetype(0), qsizetype(92), product}) {
        QByteArray damaged = block;
        putWord(damaged, at, 0xFFFF);
        EXPECT_EQ(ProductVersionFromBytes(damaged), QString()) << at;
        putWord(damaged, at, 0);
        EXPECT_EQ(ProductVersionFromBytes(damaged), QString()) << at;
    }

    // A string whose terminator is missing ends at its node's end.
    QByteArray unterminated = block;
    const qsizetype value = product + 36;
    putWord(unterminated, value + 14, u'9');
    EXPECT_EQ(ProductVersionFromBytes(unterminated), QStringLiteral("2.0.0.59"));

    // Every single byte flipped: whatever comes out, nothing breaks.
    for (qsizetype at = 0; at < block.size(); ++at) {
        QByteArray damaged = block;
        damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
        const QString result = ProductVersionFromBytes(damaged);
        EXPECT_LE(result.size(), 8) << at;
    }
}

TEST(ReadProductVersion, ReadsFilesAndNothingElse)
{
    TempDir temp;
    const QByteArray block = russianBlock("12.1.0.0");
    const auto file = temp.write("program", (randomBytes(5000, 6) + block).toStdString());
    const auto path = [](const std::filesystem::path& p) { return QFile::decodeName(p.c_str()); };
    EXPECT_EQ(ReadProductVersion(path(file)), QStringLiteral("12.1.0.0"));

    EXPECT_EQ(ReadProductVersion(path(temp / "missing")), QString());
    EXPECT_EQ(ReadProductVersion(path(temp.mkdir("dir"))), QString());
    EXPECT_EQ(ReadProductVersion(path(temp.write("empty", ""))), QString());
    // A FIFO in place of the file must not hang the reader.
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadProductVersion(path(temp / "fifo")), QString());
}

TEST(ReadProductVersion, TheProgramCarriesTheProjectVersion)
{
    const QString program = QStringLiteral(ORVANTA_BINARY_DIR "/app/orvanta");
    if (!QFile::exists(program))
        GTEST_SKIP() << "the orvanta executable has not been built";
    EXPECT_EQ(ReadProductVersion(program), QStringLiteral(ORVANTA_VERSION));
}
