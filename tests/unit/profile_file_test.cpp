#include "ProfileFile.h"
#include "ScopedLocale.h"
#include "TempDir.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace std::string_literals;

const QString Sec = QStringLiteral("S");
const QString Key = QStringLiteral("k");
const QString Def = QStringLiteral("<def>");

QString lookup(const QString& text, const QString& section = Sec, const QString& key = Key)
{
    return LookupProfileString(text, section, key, Def);
}

QString readFile(const std::filesystem::path& file, const QString& section = Sec,
                 const QString& key = Key)
{
    return ReadProfileString(file, section, key, Def);
}

// --- the reading rules -----------------------------------------------------

TEST(ProfileReaderTest, NamesMatchWithoutRegardToCase)
{
    EXPECT_EQ(lookup("[internetSHORTCUT]\nurl=x", "InternetShortcut", "URL"), "x");
    EXPECT_EQ(lookup(u"[ОПЦИИ]\nКлюч=да"_qs, u"опции"_qs, u"ключ"_qs), "да");
}

TEST(ProfileReaderTest, LinesAreTrimmedOfEveryBlank)
{
    EXPECT_EQ(lookup("\t\v\f [S] \x1A\n \tk \t=\t v w \x1A\f\n"), "v w");
    EXPECT_EQ(lookup("[S]\nk=\t\n"), "");
    // The names asked for are trimmed too.
    EXPECT_EQ(lookup("[S]\nk=v", " S ", "\tk "), "v");
}

TEST(ProfileReaderTest, OnePairOfLikeQuotesIsRemoved)
{
    EXPECT_EQ(lookup("[S]\nk=\"v\""), "v");
    EXPECT_EQ(lookup("[S]\nk='v w'"), "v w");
    EXPECT_EQ(lookup("[S]\nk=\"\"v\"\""), "\"v\"");
    EXPECT_EQ(lookup("[S]\nk=\" v \""), " v ");
    EXPECT_EQ(lookup("[S]\nk=''"), "");
    EXPECT_EQ(lookup("[S]\nk=\"v'"), "\"v'");
    EXPECT_EQ(lookup("[S]\nk=\""), "\"");
    EXPECT_EQ(lookup("[S]\nk=a\"b\"c"), "a\"b\"c");
}

TEST(ProfileReaderTest, KeyLinesSplitAtTheFirstEqualsWithoutCommentSyntax)
{
    EXPECT_EQ(lookup("[S]\nk = a=b"), "a=b");
    EXPECT_EQ(lookup("[S]\nPort=80 ; note", Sec, "Port"), "80 ; note");
    EXPECT_EQ(lookup("[S]\n;x=1", Sec, ";x"), "1");
    EXPECT_EQ(lookup("[S]\n# k=1\nk=2"), "2");
    EXPECT_EQ(lookup("[S]\n=empty key", Sec, ""), "empty key");
}

TEST(ProfileReaderTest, FirstSectionOfANameAndFirstKeyInItWin)
{
    const QString text = "[S]\nk=first\nk=second\n[T]\nj=1\n[s]\nk=third\nm=late\n";
    EXPECT_EQ(lookup(text), "first");
    EXPECT_EQ(lookup(text, "S", "m"), Def);
    EXPECT_EQ(lookup(text, "T", "j"), "1");
    EXPECT_EQ(lookup(text, "T", "k"), Def);
}

TEST(ProfileReaderTest, LinesEndAtCrOrLf)
{
    EXPECT_EQ(lookup("[S]\rk=cr\rj=2"), "cr");
    EXPECT_EQ(lookup("[S]\r\nk=crlf\r\n"), "crlf");
    EXPECT_EQ(lookup("[T]\r[S]\n\r\nj=1\rk=mixed"), "mixed");
}

TEST(ProfileReaderTest, HeaderNameRunsToTheLastBracketAndOwnsTheRestOfItsLine)
{
    EXPECT_EQ(lookup("[S]k=same line"), Def);
    EXPECT_EQ(lookup("[S] junk\nk=v"), "v");
    EXPECT_EQ(lookup("[ S ]\nk=v"), "v");
    EXPECT_EQ(lookup("[a]b]\nk=v", "a]b"), "v");
    EXPECT_EQ(lookup("[a]b]\nk=v", "a"), Def);
    // No ']' at all: the rest of the line still names a section.
    EXPECT_EQ(lookup("[S]\nk=1\n[T\nk=2", "T"), "2");
    EXPECT_EQ(lookup("[S]\nk=1\n[T\nk=2"), "1");
}

TEST(ProfileReaderTest, OnlyKeyLinesInsideASectionCount)
{
    EXPECT_EQ(lookup("[S]\nk\nk=v"), "v");
    EXPECT_EQ(lookup("[S]\nk"), Def);
    EXPECT_EQ(lookup("k=outside\n[S]\n"), Def);
    // An empty value is a value, not the default.
    EXPECT_EQ(lookup("[S]\nk=\n"), "");
    EXPECT_EQ(lookup("[T]\nk=1\n"), Def);
    EXPECT_EQ(lookup(""), Def);
}

TEST(ProfileReaderTest, ValuesAreCutToTheBound)
{
    const QString longValue(5000, u'x');
    EXPECT_EQ(lookup("[S]\nk=" + longValue), QString(ProfileValueBound, u'x'));
    // Quotes go first, so the cut value keeps no quote.
    EXPECT_EQ(lookup("[S]\nk=\"" + longValue + "\""), QString(ProfileValueBound, u'x'));
    EXPECT_EQ(lookup("[S]\nk=" + QString(ProfileValueBound, u'y')),
              QString(ProfileValueBound, u'y'));
    // A surrogate pair across the bound is not split in half.
    const QString emoji = QStringLiteral(u"\U0001F600");
    const QString value = QString(ProfileValueBound - 1, u'z') + emoji;
    EXPECT_EQ(lookup("[S]\nk=" + value), QString(ProfileValueBound - 1, u'z'));
}

// --- reading files ---------------------------------------------------------

TEST(ProfileFileReadTest, ReadsEveryEncodingByItsBomOrTheLocale)
{
    TempDir dir;
    const QString text = u"[S]\r\nk=значение\r\n"_qs;
    for (const TextEncoding encoding : {TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                        TextEncoding::Utf8Bom, TextEncoding::Utf8}) {
        const auto file = dir.write("file.url", EncodeAs(text, encoding).toStdString());
        EXPECT_EQ(readFile(file), u"значение"_qs) << int(encoding);
    }
    // A BOM right before the first header must not hide it.
    EXPECT_EQ(readFile(dir.write("h.url", "\xEF\xBB\xBF[S]\nk=v")), "v");

    const auto ansi = dir.write("ansi.url", "[S]\nk=\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\n");
    ScopedLocale locale("ru_RU.UTF-8");
    EXPECT_EQ(readFile(ansi), u"значение"_qs);
}

TEST(ProfileFileReadTest, AnythingButARegularFileGivesTheDefaultWithoutBlockingButLinksAreFollowed)
{
    TempDir dir;
    // A FIFO without a writer: a blocking open would hang here for ever.
    const auto fifo = dir / "fifo.url";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readFile(fifo), Def);

    // An endless device: reading it would never end.
    EXPECT_EQ(readFile("/dev/zero"), Def);

    std::filesystem::create_symlink(dir / "nowhere.url", dir / "dangling.url");
    EXPECT_EQ(readFile(dir / "dangling.url"), Def);
    std::filesystem::create_symlink(dir.write("target.url", "[S]\nk=v"), dir / "link.url");
    EXPECT_EQ(readFile(dir / "link.url"), "v");
    EXPECT_EQ(readFile(dir.mkdir("folder.url")), Def);
    EXPECT_EQ(readFile(dir / "missing.url"), Def);
}

TEST(ProfileFileReadTest, BinaryJunkGivesAnHonestAnswer)
{
    TempDir dir;
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 37 + 11) % 256);
    EXPECT_EQ(readFile(dir.write("junk.url", junk)), Def);
    EXPECT_EQ(readFile(dir.write("tail.url", junk + "\n[S]\nk=http://x/\n")), "http://x/");
    // A NUL is a character like any other, not the end of the text.
    const auto nul = dir.write("nul.url", "[S]\nk=a\0b\nj=c"s);
    EXPECT_EQ(readFile(nul), QString::fromUtf16(u"a\0b", 3));
    EXPECT_EQ(readFile(nul, Sec, "j"), "c");
}

TEST(ProfileFileReadTest, FiftyMegabyteLineIsCutNotChoking)
{
    TempDir dir;
    const std::string big(50 * 1024 * 1024, 'a');
    EXPECT_EQ(readFile(dir.write("value.url", "[S]\nk=" + big)), QString(ProfileValueBound, u'a'));
    EXPECT_EQ(readFile(dir.write("line.url", big + "[S]k=v")), Def);
    // The buffer of the big file is not reused in a way that leaks into the next.
    EXPECT_EQ(readFile(dir.write("small.url", "[S]\nk=small")), "small");
}

// --- ProfileFile: reading and editing -------------------------------------

QByteArray edited(const QByteArray& before, const QString& section, const QString& key,
                  const QString& value)
{
    ProfileFile file("unused");
    file.loadFromBytes(before);
    file.setValue(section, key, value);
    return file.toBytes();
}

TEST(ProfileFileEditTest, ReplacesAValueInPlaceAndKeepsEveryOtherByte)
{
    const QByteArray before = "; notes \x01\xFF\r\n"
                              "[Other]\r\nProxy=keep\r\n"
                              "[Options]\r\n  proxy = old  \r\nPort=80 ; x\r\n";
    EXPECT_EQ(edited(before, "Options", "Proxy", "new"),
              QByteArray("; notes \x01\xFF\r\n"
                         "[Other]\r\nProxy=keep\r\n"
                         "[Options]\r\n  proxy = new\r\nPort=80 ; x\r\n"));
    // Only the first key of that name is the one the reader sees.
    EXPECT_EQ(edited("[S]\nk=1\nk=2\n", "S", "k", "3"), QByteArray("[S]\nk=3\nk=2\n"));
    EXPECT_EQ(edited("[S]\nk=1", "S", "k", "3"), QByteArray("[S]\nk=3"));
}

TEST(ProfileFileEditTest, NewKeyGoesAfterTheLastNonBlankLineOfItsSection)
{
    EXPECT_EQ(edited("[Options]\nProxy=a\n\n\n[Next]\nx=1\n", "Options", "Port", "8080"),
              QByteArray("[Options]\nProxy=a\nPort=8080\n\n\n[Next]\nx=1\n"));
    EXPECT_EQ(edited("[Options]\n\n[Next]\n", "options", "Port", "1"),
              QByteArray("[Options]\nPort=1\n\n[Next]\n"));
    // A line without '=' is not the key, but it is part of the section.
    EXPECT_EQ(edited("[S]\nk\n  \n", "S", "k", "v"), QByteArray("[S]\nk\nk=v\n  \n"));
    // The last line gets a line end before a line is added after it.
    EXPECT_EQ(edited("[S]\nj=1", "S", "k", "v"), QByteArray("[S]\nj=1\nk=v\n"));
    // Only the first section of a name is read, so that is where it goes.
    EXPECT_EQ(edited("[S]\nj=1\n[S]\nk=old\n", "S", "k", "v"),
              QByteArray("[S]\nj=1\nk=v\n[S]\nk=old\n"));
}

TEST(ProfileFileEditTest, NewSectionIsAppendedWithoutABlankLine)
{
    EXPECT_EQ(edited("[A]\nx=1\n\n", "Options", "Proxy", "p"),
              QByteArray("[A]\nx=1\n\n[Options]\nProxy=p\n"));
    EXPECT_EQ(edited("[A]\nx=1", "Options", "Proxy", "p"),
              QByteArray("[A]\nx=1\n[Options]\nProxy=p\n"));

    ProfileFile fresh("unused");
    fresh.loadFromBytes(QByteArray());
    fresh.setValue("Options", "Proxy", "");
    fresh.setValue("Options", "Port", "80");
    fresh.setValue("Options", "UseProxy", "0");
    EXPECT_EQ(fresh.toBytes(), QByteArray("[Options]\nProxy=\nPort=80\nUseProxy=0\n"));
}

TEST(ProfileFileEditTest, KeepsTheLineEndingsOfTheFile)
{
    EXPECT_EQ(edited("[A]\r\nx=1\r\n", "A", "y", "2"), QByteArray("[A]\r\nx=1\r\ny=2\r\n"));
    EXPECT_EQ(edited("[A]\rx=1\r", "B", "y", "2"), QByteArray("[A]\rx=1\r[B]\ry=2\r"));
    // Each line keeps its own end; added ones take the file's first.
    EXPECT_EQ(edited("[A]\r\nx=1\ny=1\r", "A", "z", "2"), QByteArray("[A]\r\nx=1\ny=1\rz=2\r\n"));
}

TEST(ProfileFileEditTest, KeepsTheEncodingOfTheFile)
{
    const QString before = u"[Options]\r\nProxy=старый\r\n"_qs;
    const QString after = u"[Options]\r\nProxy=новый\r\nPort=80\r\n"_qs;
    for (const TextEncoding encoding :
         {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8Bom}) {
        ProfileFile file("unused");
        file.loadFromBytes(EncodeAs(before, encoding));
        file.setValue("Options", "Proxy", u"новый"_qs);
        file.setValue("Options", "Port", "80");
        EXPECT_EQ(file.toBytes(), EncodeAs(after, encoding)) << int(encoding);
        EXPECT_EQ(file.value("Options", "Proxy"), u"новый"_qs);
    }

    ScopedLocale locale("ru_RU.UTF-8");
    const QByteArray ansi = "[Options]\nProxy=\xF1\xF2\xE0\xF0\xFB\xE9\n";
    EXPECT_EQ(edited(ansi, "Options", "Port", u"порт"_qs),
              ansi + QByteArray("Port=\xEF\xEE\xF0\xF2\n"));
    // A character the code page lacks is stored as '?', and value() says so.
    ProfileFile file("unused");
    file.loadFromBytes(ansi);
    file.setValue("Options", "Proxy", u"日x"_qs);
    EXPECT_EQ(file.value("Options", "Proxy"), "?x");
}

TEST(ProfileFileEditTest, AnsiFileThatWouldReadBackAsUtf8IsWrittenAsUtf8)
{
    ScopedLocale locale("ru_RU.UTF-8");
    // "Рџ" in 1251 is D0 9F, which alone is valid UTF-8 for "П".
    ProfileFile file("unused");
    file.loadFromBytes("[Options]\nProxy=\xCF\n");
    file.setValue("Options", "Proxy", u"Рџ"_qs);
    const QByteArray bytes = file.toBytes();
    EXPECT_EQ(LookupProfileString(DecodeText(bytes), "Options", "Proxy"), u"Рџ"_qs);
    EXPECT_EQ(bytes, u"[Options]\nProxy=Рџ\n"_qs.toUtf8());
}

TEST(ProfileFileEditTest, AwkwardValuesReadBackExactly)
{
    const QString values[] = {"",     " lead", "trail ",  "\"q\"",   "'q'", "\"",
                              "a\"b", "\tx\t", "\x1A",    "=",       "[x]", "; c",
                              "''",   "\"'",   "\" a \"", u"путь"_qs};
    for (const QString& value : values) {
        ProfileFile file("unused");
        file.loadFromBytes("[Options]\nProxy=old\n");
        file.setValue("Options", "Proxy", value);
        file.setValue("Options", "Port", value);
        const QString text = DecodeText(file.toBytes());
        EXPECT_EQ(LookupProfileString(text, "Options", "Proxy"), value) << qPrintable(value);
        EXPECT_EQ(LookupProfileString(text, "Options", "Port"), value) << qPrintable(value);
        EXPECT_EQ(file.value("Options", "Port"), value);
    }
}

TEST(ProfileFileEditTest, LineBreaksCannotInjectLines)
{
    ProfileFile file("unused");
    file.loadFromBytes("[Options]\n");
    file.setValue("Options", "Proxy", "a\r\n[Evil]\nUseProxy=1");
    file.setValue("Options", "Po\nrt", "80");
    file.setValue("Opt\r\n[Evil]", "k", "v");
    const QByteArray bytes = file.toBytes();
    EXPECT_EQ(bytes, QByteArray("[Options]\nProxy=a  [Evil] UseProxy=1\nPo rt=80\n"
                                "[Opt  [Evil]]\nk=v\n"));
    EXPECT_EQ(file.value("Options", "Proxy"), "a  [Evil] UseProxy=1");
    EXPECT_EQ(LookupProfileString(DecodeText(bytes), "Evil", "UseProxy", Def), Def);
    EXPECT_EQ(file.value("Opt  [Evil]", "k"), "v");

    // Keys that cannot be written as a key are refused.
    file.setValue("Options", "a=b", "1");
    file.setValue("Options", "[x", "1");
    EXPECT_EQ(file.toBytes(), bytes);
}

TEST(ProfileFileEditTest, ValueAgreesWithTheOneShotReader)
{
    TempDir dir;
    const std::string content = "k=0\n[S]\r\nj\rk = \"v\" \n[S]\nk=2\n[T\nk=t\n";
    const auto path = dir.write("same.ini", content);
    ProfileFile file(path);
    ASSERT_TRUE(file.load());
    for (const char* section : {"S", "T", "U"}) {
        for (const char* key : {"k", "j"})
            EXPECT_EQ(file.value(section, key, Def), readFile(path, section, key));
    }
    EXPECT_EQ(file.toBytes(), QByteArray::fromStdString(content));
}

TEST(ProfileFileEditTest, SectionIsReadInOnePassByTheReaderRules)
{
    ProfileFile file("unused");
    file.loadFromBytes(u"k=0\n[s]\r\nK = \"v\" \nj\nk=2\nEmpty=\nÖl=1\n\U00010400=2\n"
                       "[S]\nlate=1\n[T]\nt=1\n"_qs.toUtf8());
    const ProfileSection section = file.section(" S ");
    EXPECT_EQ(section.size(), 4) << "k, Empty, Öl and the Deseret letter";
    for (const QString& key :
         QStringList{"k", "Empty", "j", "late", "t", u"öL"_qs, u"\U00010428"_qs, "missing"})
        EXPECT_EQ(section.value(key, Def), file.value(" S ", key, Def)) << qPrintable(key);
    EXPECT_EQ(section.value("EMPTY", Def), "") << "a present empty key is not the default";
}

TEST(ProfileFileEditTest, ManyKeysAreWrittenInOnePassAsOneByOne)
{
    const ProfileValues values = {{"k", "new"},       {"n", "1"},     {"K", "again"},
                                  {"a=b", "refused"}, {"N", " two "}, {"m", ""}};
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"[S]\nk=1\n\n\n[T]\nk=2\n", "[S]\nk=again\nn=\" two \"\nm=\n\n\n[T]\nk=2\n"},
        {"[s]\r\nK = old\r\nj\r\n[S]\r\nm=2",
         "[s]\r\nK = again\r\nj\r\nn=\" two \"\r\nm=\r\n[S]\r\nm=2"},
        {"[A]\nx=1", "[A]\nx=1\n[S]\nk=again\nn=\" two \"\nm=\n"},
    };
    for (const auto& [before, after] : cases) {
        ProfileFile file("unused");
        file.loadFromBytes(before);
        file.setValues(Sec, values);
        EXPECT_EQ(file.toBytes(), after) << before.toStdString();
        file.setValues("Other", {{"[x", "refused"}});
        EXPECT_EQ(file.toBytes(), after) << "nothing to write adds no section";
    }
}

// --- ProfileFile: load and save --------------------------------------------

std::filesystem::perms permsOf(const std::filesystem::path& path)
{
    return std::filesystem::status(path).permissions();
}

size_t entryCount(const std::filesystem::path& dir)
{
    return size_t(std::distance(std::filesystem::directory_iterator(dir),
                                std::filesystem::directory_iterator()));
}

TEST(ProfileFileSaveTest, LoadTellsMissingFromUnreadable)
{
    TempDir dir;
    ProfileFile missing(dir / "Config.ini");
    EXPECT_TRUE(missing.load());
    EXPECT_EQ(missing.value("Options", "Port", "80"), "80");

    ProfileFile folder(dir.mkdir("Folder.ini"));
    EXPECT_FALSE(folder.load());
    const auto fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ProfileFile pipe(fifo);
    EXPECT_FALSE(pipe.load());
}

TEST(ProfileFileSaveTest, SaveReplacesTheFileAndKeepsItsPermissions)
{
    TempDir dir;
    const auto path = dir.write("Config.ini", "[Options]\r\nProxy=old\r\n");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ProfileFile file(path);
    ASSERT_TRUE(file.load());
    file.setValue("Options", "Proxy", "new");
    QString error;
    ASSERT_TRUE(file.save(&error)) << qPrintable(error);
    EXPECT_EQ(ReadFileBytes(path), "[Options]\r\nProxy=new\r\n");
    EXPECT_EQ(permsOf(path), std::filesystem::perms(0640));
    EXPECT_EQ(entryCount(dir.path()), 1u);

    ProfileFile created(dir / "New.ini");
    ASSERT_TRUE(created.load());
    created.setValue("Options", "Port", "80");
    ASSERT_TRUE(created.save(&error)) << qPrintable(error);
    EXPECT_EQ(ReadFileBytes(dir / "New.ini"), "[Options]\nPort=80\n");
}

TEST(ProfileFileSaveTest, ReadOnlyFileIsRefusedAndLeftAlone)
{
    TempDir dir;
    const std::string content = "[Options]\nProxy=old\n";
    const auto path = dir.write("Config.ini", content);
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    ProfileFile file(path);
    ASSERT_TRUE(file.load());
    file.setValue("Options", "Proxy", "new");
    QString error;
    EXPECT_FALSE(file.save(&error)); // also when the test runs as root
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadFileBytes(path), content);
    EXPECT_EQ(permsOf(path), std::filesystem::perms(0444));
    EXPECT_EQ(entryCount(dir.path()), 1u);
}

TEST(ProfileFileSaveTest, MissingFolderOrFolderInTheWayIsAFailure)
{
    TempDir dir;
    ProfileFile file(dir / "Orvanta" / "Config.ini");
    ASSERT_TRUE(file.load());
    file.setValue("Options", "Port", "80");
    QString error;
    EXPECT_FALSE(file.save(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(dir / "Orvanta"));

    dir.mkdir("Taken.ini");
    ProfileFile blocked(dir / "Taken.ini");
    blocked.setValue("Options", "Port", "80");
    EXPECT_FALSE(blocked.save(&error));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Taken.ini"));
    EXPECT_EQ(entryCount(dir.path()), 1u);
}

TEST(ProfileFileSaveTest, SavingThroughASymbolicLinkUpdatesItsTarget)
{
    TempDir dir;
    const auto target = dir.write("real/Config.ini", "[Options]\nPort=1\n");
    std::filesystem::create_symlink(target, dir / "Config.ini");
    ProfileFile file(dir / "Config.ini");
    ASSERT_TRUE(file.load());
    file.setValue("Options", "Port", "2");
    ASSERT_TRUE(file.save());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "Config.ini"));
    EXPECT_EQ(ReadFileBytes(target), "[Options]\nPort=2\n");
}

} // namespace
