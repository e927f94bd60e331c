#include "BrowserHop.h"
#include "HtmlCharset.h"
#include "HtmlEntity.h"
#include "PageSniffer.h"
#include "PageVocabulary.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

QByteArray inCodePage(const char16_t* text, int codePage)
{
    return EncodeCodePage(QStringView(text), codePage);
}

// A comment longer than the bytes read before the charset is settled, so
// what follows it is decoded piece by piece as it arrives.
const QByteArray Padding = "<!--" + QByteArray(1100, ' ') + "-->";

QByteArray utf16le(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text)
        bytes += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
    return bytes;
}

QByteArray pageWithHiddenFiller(qsizetype fillerBytes, const QByteArray& afterFiller)
{
    return "<html><head><title>Home</title><script>" + QByteArray(fillerBytes, 'x') +
           "</script></head><body>" + afterFiller + "</body></html>";
}

struct PageCase
{
    const char* name;
    QByteArray contentType;
    QByteArray body;
    PageSignal expected;
    QString linkHost = QStringLiteral("example.org");
    QStringList redirectHosts = {};
};

// Feeds the body in pieces of the given size, asking for the verdict once
// on the way (which must change nothing), and gives the verdict at the end.
PageSignal sniff(const PageCase& page, qsizetype piece, qsizetype* taken = nullptr)
{
    PageSniffer sniffer(page.contentType, page.linkHost, page.redirectHosts);
    const QByteArrayView body(page.body);
    bool asked = false;
    for (qsizetype at = 0; at < body.size(); at += piece) {
        if (!asked && at >= body.size() / 2) {
            (void)sniffer.signal();
            asked = true;
        }
        if (!sniffer.feed(body.sliced(at, std::min(piece, body.size() - at))))
            break;
    }
    if (taken)
        *taken = sniffer.bytesTaken();
    return sniffer.signal();
}

const std::vector<PageCase>& pages()
{
    static const std::vector<PageCase> cases = {
        {"English parked page", "text/html",
         "<!DOCTYPE html><html><head><title>example.org</title></head><body><!-->"
         "<div class=\"banner\"><h1>This Domain Is For Sale!</h1></div></body></html>",
         PageSignal::Parked},
        {"for-sale page in UTF-8, accents and case differing from the list",
         "text/html; charset=UTF-8",
         "<title>À vendre</title>" + Padding + "<p>" + QByteArray(300, 'x').replace("xxx", "ab ") +
             "</p><p>Ce nom de DOMAINE est à VENDRE.</p>",
         PageSignal::Parked},
        {"for-sale page, accents left out", "text/html", "<p>Ce nom de domaine est a vendre</p>",
         PageSignal::Parked},
        {"the link's own domain named for sale", "text/html",
         "<title>Welcome</title><h1>Example.org is for sale</h1>", PageSignal::Parked,
         QStringLiteral("www.example.org")},
        {"phrase glued to the word before it", "text/html",
         Padding + "<p>" + QByteArray(300, 'x').replace("xxx", "ab ") +
             "Customers often rebuy this domain later. " +
             QByteArray(300, 'x').replace("xxx", "ab ") + "</p>",
         PageSignal::None},
        {"another domain named for sale", "text/html",
         "<title>Shop</title><p>myexample.org is for sale, ask us</p>", PageSignal::None},
        {"Chinese parked page in GB2312 by Content-Type", "text/html; charset=gb2312",
         "<title>example.org</title><body>" + Padding +
             inCodePage(u"该域名正在出售，欢迎联系", 936),
         PageSignal::Parked},
        {"phrase that ends the body", "text/html", "<title>x</title><b>B</b>uy this domain",
         PageSignal::Parked},
        {"German title with a character reference inside a word", "text/html",
         "<title>Fehler &ndash; Seite nicht gef&#117;nden</title><p>Zur&uuml;ck</p>",
         PageSignal::SaysNotFound},
        {"Russian title in windows-1251 by Content-Type", "text/html; charset=windows-1251",
         "<html><head><title>" + inCodePage(u"Страница не найдена", 1251) +
             "</title></head><body>" + inCodePage(u"Вернуться на главную", 1251),
         PageSignal::SaysNotFound},
        {"Russian title in KOI8-R by http-equiv, unknown Content-Type charset",
         "text/html; charset=x-no-such-charset",
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=KOI8-R\">"
         "<title>\xCF\xDB\xC9\xC2\xCB\xC1: \xD3\xD4\xD2\xC1\xCE\xC9\xC3\xC1 "
         "\xCE\xC5 \xCE\xC1\xCA\xC4\xC5\xCE\xC1</title>",
         PageSignal::SaysNotFound},
        {"Japanese title in Shift_JIS by meta", "text/html",
         "<html><head><meta charset=\"Shift_JIS\">" + Padding + "<title>" +
             inCodePage(u"お探しのページは見つかりませんでした｜ソフト", 932) +
             "</title></head><body>" + inCodePage(u"トップへ", 932),
         PageSignal::SaysNotFound},
        {"meta naming UTF-16 on a page that is read as ASCII", "text/html",
         "<meta charset=\"utf-16\"><title>ページが見つかりません</title>",
         PageSignal::SaysNotFound},
        {"meta past the bytes a browser pre-scans", "text/html",
         Padding + "<meta charset=\"windows-1251\"><title>" + inCodePage(u"Не найдена", 1251) +
             "</title>",
         PageSignal::None},
        {"French title in windows-1252, no charset given", "text/html",
         "<title>Page non trouv\xE9\x65</title>", PageSignal::SaysNotFound},
        {"UTF-16 page with a byte order mark", "text/html",
         utf16le(QString(600, u' ') +
                 QString::fromUtf16(u"<title>404 – 页面不存在</title><p>返回</p>")),
         PageSignal::SaysNotFound},
        {"404 standing alone in the title", "text/html", "<title>Error 404 (Not Found)!!1</title>",
         PageSignal::SaysNotFound},
        {"parking service in the redirect chain",
         "text/html",
         "<title>Welcome</title><p>Nice things</p>",
         PageSignal::Parked,
         QStringLiteral("oldshop.example"),
         {QStringLiteral("www.oldshop.example"), QStringLiteral("Landing.ParkingCrew.net:443")}},
        {"link to the parking service itself",
         "text/html",
         "<title>Domains</title><p>Find a name</p>",
         PageSignal::None,
         QStringLiteral("hugedomains.com"),
         {QStringLiteral("www.hugedomains.com")}},
        {"host that only ends like a parking service",
         "text/html",
         "<title>Shop</title>",
         PageSignal::None,
         QStringLiteral("example.org"),
         {QStringLiteral("notsedo.com")}},
        {"ordinary page that talks of domains, 404 and not found", "text/html",
         "<title>Domains explained</title><body><p>Each domain is registered. A 404 "
         "means not found; page not found errors hurt. These domains are for sale "
         "elsewhere.</p></body>",
         PageSignal::None},
        {"title words hidden in scripts, comments and attributes", "text/html",
         "<head><script>document.title = \"<title>404 Not Found</title>\";</script>"
         "<!-- <title>Page not found</title> --><meta name=\"x\" content='a>b'>"
         "<title>Home</title><style>p:after{content:\"This domain is for sale\"}</style>"
         "</head><body><img alt=\"Logo > Buy this domain\"></body>",
         PageSignal::None},
        {"404 as part of a longer number", "text/html", "<title>Top 4040 tips</title>",
         PageSignal::None},
        {"title cut off before its end tag", "text/html", "<html><head><title>404 Not Found",
         PageSignal::None},
        {"phrase after plenty of text past the title", "text/html",
         "<title>Blog</title><p>" + QByteArray(6000, 'a').replace("aaaaa", "word ") +
             "</p><p>This domain is for sale</p>",
         PageSignal::None},
        {"phrase within the first 64 KiB", "text/html",
         pageWithHiddenFiller(60000, "This domain is for sale"), PageSignal::Parked},
        {"phrase beyond the first 64 KiB", "text/html",
         pageWithHiddenFiller(70000, "This domain is for sale"), PageSignal::None},
        {"registrar's page: expired in a heading, a long page below it", "text/html",
         "<title>example.org</title><h1>This domain has <em>expired</em></h1><p>" +
             QByteArray(6000, 'a').replace("aaaaa", "word ") + "</p>",
         PageSignal::Expired},
        {"registrar's page: expired in an h3 below three major headings", "text/html",
         "<title>example.org</title><h1>a</h1><h2>b</h2><h1>c</h1><h3>This domain has "
         "expired</h3><p>" +
             QByteArray(6000, 'a').replace("aaaaa", "word ") + "</p>",
         PageSignal::Expired},
        {"registrar's page: a short page names the link's domain", "text/html",
         "<title>Registrar</title><p>Die Domain <b>example.org</b> ist abgelaufen.</p>",
         PageSignal::Expired},
        {"news article about expired domains", "text/html",
         "<title>Drop catching</title><h1>The trade in expired domains</h1><p>" +
             QByteArray(3000, 'a').replace("aaaaa", "word ") +
             " A buyer saw \"this domain has expired\" and waited. " +
             QByteArray(3000, 'a').replace("aaaaa", "word ") + "</p>",
         PageSignal::None},
        {"plain text", "text/plain", "<title>404</title>This domain is for sale", PageSignal::None},
        {"JSON", "application/json; charset=utf-8", "{\"title\": \"404 Not Found\"}",
         PageSignal::None},
    };
    return cases;
}

TEST(PageSnifferTest, TellsParkedAndNotFoundPagesInAnyCharsetAndAnyCutOfTheBody)
{
    for (const PageCase& page : pages()) {
        // Whole, byte by byte (cutting characters, tags and references), and
        // in odd pieces.
        for (const qsizetype piece :
             {std::max<qsizetype>(page.body.size(), 1), qsizetype(1), qsizetype(7)})
            EXPECT_EQ(sniff(page, piece), page.expected) << page.name << ", pieces of " << piece;
    }
}

TEST(PageSnifferTest, ExpiredPhrasesCountInTitlesHeadingsAndShortPagesOnly)
{
    // Registrars' lines from the list, and decoys of the same words.
    const struct
    {
        const char* line;
        bool expired;
    } lines[] = {
        {"This domain has expired.", true},
        {"This domain name is pending deletion", true},
        {"EXAMPLE.ORG expired on 2024-01-05", true},
        {"Diese Domain ist abgelaufen", true},
        {"Ce nom de domaine a expiré !", true},
        {"Este dominio ha caducado", true},
        {"Срок регистрации домена истёк", true},
        {"このドメインは有効期限が切れています。", true},
        {"Expired domains and how to buy them", false},
        {"What to do when your domain expires", false},
        {"Your subscription has expired", false},
        {"shop.example has expired", false},
        {"Срок действия пароля истёк", false},
    };
    const QByteArray longText = "<p>" + QByteArray(8000, 'a').replace("aaaaa", "word ") + "</p>";
    for (const auto& each : lines) {
        const QByteArray line = QByteArray(each.line);
        const PageSignal said = each.expired ? PageSignal::Expired : PageSignal::None;
        const PageCase inHeading{"heading", "text/html", "<h1>" + line + "</h1>" + longText, said};
        const PageCase inTitle{"title", "text/html", "<title>" + line + "</title>" + longText,
                               said};
        const PageCase shortPage{"short", "text/html", "<div>" + line + "</div>", said};
        const PageCase inArticle{"article", "text/html",
                                 "<title>News</title><h1>Domains</h1>" + longText.first(2000) +
                                     "<p>" + line + "</p>" + longText,
                                 PageSignal::None};
        for (const PageCase& page : {inHeading, inTitle, shortPage, inArticle})
            EXPECT_EQ(sniff(page, page.body.size()), page.expected)
                << page.name << ": " << each.line;
    }
}

TEST(PageSnifferTest, RefreshesAndOneLineScriptsMoveTheBrowserAsABrowserReadsThem)
{
    using Target = std::optional<QString>;
    const QString next = QStringLiteral("/next?a=1&b=2");
    const struct
    {
        const char16_t* content;
        Target target;
    } refreshes[] = {
        {u"0; url=/next?a=1&amp;b=2", next},
        {u" 10 ,URL = '/next?a=1&b=2' ignored", next},
        {u"2.5;\"/next?a=1&b=2\"", next},
        {u"0 /next?a=1&b=2", next},
        {u".5; url=/next?a=1&b=2 ", next},
        {u"0; urlish", QStringLiteral("urlish")},
        {u"11; url=/next", std::nullopt},
        {u"30; url=/next", std::nullopt},
        {u"99999999999999999999; url=/next", std::nullopt},
        {u"5", std::nullopt},
        {u"0; url=", std::nullopt},
        {u"now; url=/next", std::nullopt},
        {u"0x; url=/next", std::nullopt},
    };
    for (const auto& each : refreshes)
        EXPECT_EQ(RefreshTarget(each.content), each.target)
            << QString::fromUtf16(each.content).toStdString();

    const struct
    {
        const char16_t* script;
        Target target;
    } scripts[] = {
        {u"location = '/next'", QStringLiteral("/next")},
        {u"\n window.location.href=\"http:\\/\\/a.example\\/\";\n",
         QStringLiteral("http://a.example/")},
        {u"document.location.replace( `/next` );", QStringLiteral("/next")},
        {u"<!--\nself.location.assign('/next')\n//-->", QStringLiteral("/next")},
        {u"location == '/next'", std::nullopt},
        {u"location = next", std::nullopt},
        {u"location = `/${page}`", std::nullopt},
        {u"location = '/next'; track()", std::nullopt},
        {u"if (old) location = '/next'", std::nullopt},
        {u"window.Location = '/next'", std::nullopt},
        {u"location.reload()", std::nullopt},
        {u"location.href = '\\x2Fnext'", std::nullopt},
    };
    for (const auto& each : scripts)
        EXPECT_EQ(ScriptTarget(each.script), each.target)
            << QString::fromUtf16(each.script).toStdString();

    // What of a page counts: the first refresh a browser running scripts
    // sees, and a script only when it is the page's only one.
    const struct
    {
        const char* html;
        Target target;
    } pages[] = {
        {"<meta content=\"0;url=/a\" HTTP-EQUIV=refresh><meta http-equiv=refresh content=0;url=/b>",
         QStringLiteral("/a")},
        {"<noscript><meta http-equiv=\"refresh\" content=\"0;url=/a\"></noscript>", std::nullopt},
        {"<meta name=refresh content=\"0;url=/a\">", std::nullopt},
        {"<script>location='/a'</script><meta http-equiv=refresh content=\"0;url=/b\">",
         QStringLiteral("/a")},
        {"<script src=/lib.js></script><script>location='/a'</script>", std::nullopt},
        {"<script>location='/a'</script><script>count()</script>", std::nullopt},
        {"<script src=/lib.js></script><meta http-equiv=refresh content=\"1;url=/b\">",
         QStringLiteral("/b")},
        {"<title>This domain is for sale</title><meta http-equiv=refresh content=\"0;url=/b\">",
         std::nullopt},
        {"<script>location='/a'", std::nullopt},
    };
    for (const auto& each : pages) {
        for (const qsizetype piece : {qsizetype(1000), qsizetype(1)}) {
            PageSniffer sniffer("text/html", u"example.org", {});
            const QByteArrayView body(each.html);
            for (qsizetype at = 0; at < body.size(); at += piece)
                sniffer.feed(body.sliced(at, std::min(piece, body.size() - at)));
            EXPECT_EQ(sniffer.hop(), each.target) << each.html << ", pieces of " << piece;
        }
    }
}

TEST(PageSnifferTest, TakesNoMoreThan64KiB)
{
    const PageCase big{"big", "text/html", pageWithHiddenFiller(200000, "x"), PageSignal::None};
    for (const qsizetype piece : {big.body.size(), qsizetype(16384), qsizetype(1000)}) {
        qsizetype taken = 0;
        sniff(big, piece, &taken);
        EXPECT_EQ(taken, PageSniffer::ReadLimit) << piece;
    }
}

TEST(PageSnifferTest, WantsNoMoreOnceTheVerdictCannotChange)
{
    PageSniffer parked("text/html", u"example.org", {});
    EXPECT_FALSE(parked.feed(QByteArray(2000, ' ') + "<title>x</title>Buy this domain now"));
    EXPECT_EQ(parked.signal(), PageSignal::Parked);

    PageSniffer longPage("text/html", u"example.org", {});
    EXPECT_TRUE(longPage.feed("<title>Long read</title>"));
    EXPECT_TRUE(longPage.feed(QByteArray(4000, 'a').replace("aaaa", "wor ")));
    EXPECT_FALSE(longPage.feed(QByteArray(4000, 'a').replace("aaaa", "wor ")));

    PageSniffer openTitle("text/html", u"example.org", {});
    EXPECT_TRUE(openTitle.feed("<title>" + QByteArray(20000, 'a').replace("aaaa", "wor ")));

    PageSniffer redirected("text/html", u"example.org", {QStringLiteral("sedo.com")});
    EXPECT_FALSE(redirected.feed("<title>Domain</title>"));
    EXPECT_EQ(redirected.signal(), PageSignal::Parked);

    PageSniffer json("application/json", u"example.org", {});
    EXPECT_FALSE(json.feed("{}"));
}

TEST(PageSnifferTest, HtmlIsTextHtmlOrXhtmlWhateverTheCaseAndParameters)
{
    for (const char* html :
         {"text/html", "Text/HTML; charset=UTF-8", " text/html ;q=1", "application/xhtml+xml"})
        EXPECT_TRUE(PageSniffer::isHtml(html)) << html;
    for (const char* other : {"", "text/plain", "text/htmlx", "text/xml", "text", "html"})
        EXPECT_FALSE(PageSniffer::isHtml(other)) << other;
}

TEST(PageSnifferTest, ReadsCharsetDeclarationsAsBrowsersDo)
{
    const struct
    {
        QByteArray head;
        QByteArray charset;
    } metas[] = {
        {"<!-- <meta charset=\"koi8-r\"> --><meta charset=utf-8>", "utf-8"},
        {"<META HTTP-EQUIV='content-type' CONTENT='text/html;charset = \"windows-1251\"'>",
         "windows-1251"},
        {"<meta content=\"text/html; charset=gbk\" http-equiv=\"Content-Type\">", "gbk"},
        {"<meta name=\"description\" content=\"charset=koi8-r\">", ""},
        {"<metadata charset=koi8-r><meta/charset=\"euc-jp\">", "euc-jp"},
    };
    for (const auto& meta : metas)
        EXPECT_EQ(CharsetFromMeta(meta.head), meta.charset) << meta.head.constData();

    EXPECT_EQ(CharsetParameter("text/html; Charset=\"ISO-8859-1\" ; q=1"), "ISO-8859-1");
    EXPECT_EQ(CharsetParameter("text/html; format=flowed"), "");
    EXPECT_EQ(IconvCharsetName(" ISO-8859-1"), "CP1252");
    EXPECT_EQ(IconvCharsetName("Shift_JIS"), "CP932");
    EXPECT_EQ(IconvCharsetName("koi8-r"), "KOI8-R");
    EXPECT_EQ(IconvCharsetName("utf-8//TRANSLIT"), "");
}

TEST(PageSnifferTest, DecodesCharacterReferencesAndKeepsUnknownOnes)
{
    const struct
    {
        const char16_t* name;
        std::optional<QString> text;
    } references[] = {
        {u"amp", QStringLiteral("&")},
        {u"#1085", QStringLiteral("н")},
        {u"#x43D", QStringLiteral("н")},
        {u"Eacute", QStringLiteral("É")},
        {u"ccedil", QStringLiteral("ç")},
        {u"#0", QString(QChar::ReplacementCharacter)},
        {u"#xD800", QString(QChar::ReplacementCharacter)},
        {u"#x110000", QString(QChar::ReplacementCharacter)},
        {u"foo", std::nullopt},
        {u"#", std::nullopt},
        {u"#12x", std::nullopt},
        {u"1acute", std::nullopt},
    };
    for (const auto& reference : references)
        EXPECT_EQ(DecodeHtmlEntity(reference.name), reference.text)
            << QString::fromUtf16(reference.name).toStdString();
}

TEST(PageSnifferTest, ListFormatHasSectionsCommentsAndHostsBelowHosts)
{
    const PageVocabulary list =
        PageVocabulary::parse(u"# hosts\r\n[parking hosts]\r\n"
                              u"Park.Example.\r\n\r\n[unknown]\r\nx.com\r\n"
                              u"[not found phrases]\r\n  SEITE   Nicht "
                              u"gefunden \r\n[parked phrases]\nÀ vendre"
                              u"\n[expired phrases]\n{domain} Ist abgelaufen");
    EXPECT_TRUE(list.isParkingHost(u"a.park.example:80"));
    EXPECT_TRUE(list.isParkingHost(u"PARK.example."));
    EXPECT_FALSE(list.isParkingHost(u"apark.example"));
    EXPECT_FALSE(list.isParkingHost(u"x.com"));
    EXPECT_EQ(list.notFoundPhrases(), QStringList{QStringLiteral("seite nicht gefunden")});
    EXPECT_EQ(list.parkedPhrases(), QStringList{QStringLiteral("a vendre")});
    EXPECT_EQ(list.expiredPhrases(), QStringList{QStringLiteral("{domain} ist abgelaufen")});
}

// Lines of notfound.txt at work: what a title or a first heading says, in
// the languages the list covers, against decoys a person would not call gone.
TEST(PageSnifferTest, NotFoundPhrasesMarkGonePagesButNotEmptySearchesOrPassingWords)
{
    struct Line
    {
        const char* html;
        PageSignal expected;
    };
    const Line lines[] = {
        {"<title>Video unavailable</title><h1>This video is no longer available</h1>",
         PageSignal::SaysNotFound},
        {"<title>Forum</title><h2>Invalid thread specified</h2>", PageSignal::SaysNotFound},
        {"<title>Shop</title><h1>Dieser Artikel ist nicht mehr verfügbar</h1>",
         PageSignal::SaysNotFound},
        {"<title>Boutique</title><h1>Cette page n’existe plus</h1>", PageSignal::SaysNotFound},
        {"<title>Tienda</title><h1>El producto ya no está disponible</h1>",
         PageSignal::SaysNotFound},
        {"<title>Negozio</title><h1>La pagina non esiste</h1>", PageSignal::SaysNotFound},
        {"<title>Sklep</title><h1>Strona nie istnieje</h1>", PageSignal::SaysNotFound},
        {"<title>Магазин</title><h1>Страница больше не доступна</h1>", PageSignal::SaysNotFound},
        {"<title>ショップ</title><h1>お探しのページは存在しません</h1>", PageSignal::SaysNotFound},
        // A search that found nothing, in a title or a heading.
        {"<title>Search</title><h1>No results found for \"404\"</h1>", PageSignal::None},
        {"<title>Szukaj</title><h1>Nie znaleziono wyników</h1>", PageSignal::None},
        {"<title>Поиск</title><h1>Ничего не найдено</h1>", PageSignal::None},
        {"<title>検索結果が見つかりません</title>", PageSignal::None},
        // Passing words, and a phrase outside the first headings or the title.
        {"<title>Plus disponible que jamais</title>", PageSignal::None},
        {"<title>Notes</title><h3>Page not found?</h3><p>It no longer exists</p>",
         PageSignal::None},
        {"<title>Notes</title><h1>a</h1><h2>b</h2><h1>c</h1><h1>Not found</h1>", PageSignal::None},
        {"<title>Notes</title><h1>Page not found", PageSignal::None},
    };
    for (const Line& line : lines) {
        const PageCase page{line.html, "text/html", line.html, line.expected};
        for (const qsizetype piece : {page.body.size(), qsizetype(1)})
            EXPECT_EQ(sniff(page, piece), line.expected) << line.html << ", pieces of " << piece;
    }
}

TEST(PageSnifferTest, TitleKeysAreEqualForTheSameTitleOnly)
{
    const auto keyOf = [](const QByteArray& body) {
        PageSniffer sniffer("text/html", u"example.org", {});
        sniffer.feed(body);
        return sniffer.titleKey();
    };
    const quint32 key = keyOf("<title>Page  Not Found</title><p>/a/b</p>");
    EXPECT_NE(key, 0U);
    EXPECT_EQ(keyOf("<TITLE>page not found</TITLE><p>/c</p>"), key);
    EXPECT_NE(keyOf("<title>Page not found: /a/b</title>"), key);
    EXPECT_EQ(keyOf("<title>Page not found"), 0U);
    EXPECT_EQ(keyOf("<h1>Page not found</h1>"), 0U);
}

} // namespace
