#include "VerdictReport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <gtest/gtest.h>

namespace {

ProbeResult answer(qint16 status, bool alive)
{
    ProbeResult result;
    result.outcome = ProbeOutcome::Answered;
    result.statusCode = status;
    result.alive = alive;
    return result;
}

} // namespace

TEST(VerdictReport, CsvQuotesOnlyTheFieldsThatNeedIt)
{
    const VerdictReport csv(ReportFormat::Csv);
    EXPECT_EQ(csv.header(), "verdict,reason,link,path\r\n");
    EXPECT_EQ(csv.line(QStringLiteral("http://a/"), "plain.url", answer(200, true)),
              "alive,200 OK,http://a/,plain.url\r\n");
    EXPECT_EQ(csv.line(QStringLiteral("http://a/?x=1,2"), "say \"hi\".url", answer(404, false)),
              "dead,404 Not Found,\"http://a/?x=1,2\",\"say \"\"hi\"\".url\"\r\n");
    EXPECT_EQ(csv.line(QStringLiteral("http://a/"), "two\r\nlines\n.url", answer(200, true)),
              "alive,200 OK,http://a/,\"two\r\nlines\n.url\"\r\n");
}

TEST(VerdictReport, JsonLinesEscapeAndTellFailuresFromAnswers)
{
    const VerdictReport json(ReportFormat::Json);
    EXPECT_TRUE(json.header().isEmpty());

    ProbeResult redirected = answer(200, true);
    redirected.redirects = 2;
    redirected.finalAddress = QStringLiteral("http://b/");
    redirected.elapsedMs = 17;
    const QString path = QStringLiteral("a \"quoted\"\\path\nwith \u00e9.url");
    const QByteArray line = json.line(QStringLiteral("http://a/"), path.toUtf8(), redirected);
    ASSERT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(line.count('\n'), 1);
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.value(QStringLiteral("verdict")).toString(), QStringLiteral("alive"));
    // The backslash comes doubled, as in every format's path.
    EXPECT_EQ(object.value(QStringLiteral("path")).toString(),
              QStringLiteral("a \"quoted\"\\\\path\nwith \u00e9.url"));
    EXPECT_EQ(object.value(QStringLiteral("status")).toInt(), 200);
    EXPECT_EQ(object.value(QStringLiteral("redirects")).toInt(), 2);
    EXPECT_EQ(object.value(QStringLiteral("finalAddress")).toString(), QStringLiteral("http://b/"));
    EXPECT_EQ(object.value(QStringLiteral("ms")).toInt(), 17);

    ProbeResult refused;
    refused.outcome = ProbeOutcome::ConnectionRefused;
    const QJsonObject failure =
        QJsonDocument::fromJson(json.line(QStringLiteral("http://c/"), "c.url", refused)).object();
    EXPECT_EQ(failure.value(QStringLiteral("verdict")).toString(), QStringLiteral("dead"));
    EXPECT_EQ(failure.value(QStringLiteral("reason")).toString(),
              QStringLiteral("connection refused"));
    EXPECT_TRUE(failure.value(QStringLiteral("status")).isNull());
}

TEST(VerdictReport, TextKeepsOneLineOfFourColumns)
{
    const VerdictReport text(ReportFormat::Text);
    EXPECT_TRUE(text.header().isEmpty());
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), "tab\there\nand.url", answer(500, false)),
              "dead\t500 Internal Server Error\thttp://a/\ttab\\x09here\\x0aand.url\n");

    // A server's own phrase is no safer than a name.
    ProbeResult shouting = answer(200, true);
    shouting.detail = QStringLiteral("OK\x1b[2J");
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), "a.url", shouting),
              "alive\t200 OK\\x1b[2J\thttp://a/\ta.url\n");

    // A probe that could not be made at all is no dead link.
    ProbeResult unmade;
    unmade.outcome = ProbeOutcome::OutOfFiles;
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), "a.url", unmade),
              "unchecked\tout of open files\thttp://a/\ta.url\n");
}

TEST(VerdictReport, HostileNamesNeitherActNorPrintAlike)
{
    struct Case
    {
        const char* path; // the shortcut's bytes
        const char* link;
        const char* textLink;
        const char* textPath;
        const char* csvFields; // link and path
        const char* jsonPath;
    };
    const Case cases[] = {
        // Erases the line above, where a dead link was shown.
        {"\x1b[1A\x1b[2Kgone.url", "http://a/", "http://a/", "\\x1b[1A\\x1b[2Kgone.url",
         "http://a/,\x1b[1A\x1b[2Kgone.url", "\x1b[1A\x1b[2Kgone.url"},
        // C1 CSI (U+009B) and DEL.
        {"a\xc2\x9bJ\x7f.url", "http://a/", "http://a/", "a\\xc2\\x9bJ\\x7f.url",
         "http://a/,a\xc2\x9bJ\x7f.url", "a\xc2\x9bJ\x7f.url"},
        // Not UTF-8, and a name spelling that escape: both must stay apart.
        {"caf\xe9.url", "http://a/", "http://a/", "caf\\xe9.url", "http://a/,caf\\xe9.url",
         "caf\\xe9.url"},
        {"caf\\xe9.url", "http://a/", "http://a/", "caf\\\\xe9.url", "http://a/,caf\\\\xe9.url",
         "caf\\\\xe9.url"},
        // Sets the window title from the link.
        {"t.url", "http://a/\x1b]0;owned\x07", "http://a/\\x1b]0;owned\\x07", "t.url",
         "http://a/\x1b]0;owned\x07,t.url", "t.url"},
        // Formulas a spreadsheet would run.
        {"=cmd|' /C calc'!A0.url", "@SUM(1+1)", "@SUM(1+1)", "=cmd|' /C calc'!A0.url",
         "'@SUM(1+1),'=cmd|' /C calc'!A0.url", "=cmd|' /C calc'!A0.url"},
        {"-2+3.url", "+http://a/", "+http://a/", "-2+3.url", "'+http://a/,'-2+3.url", "-2+3.url"},
    };
    const VerdictReport text(ReportFormat::Text);
    const VerdictReport csv(ReportFormat::Csv);
    const VerdictReport json(ReportFormat::Json);
    QSet<QByteArray> textLines, csvLines, jsonLines;
    for (const Case& c : cases) {
        const QString link = QString::fromUtf8(c.link);
        const ProbeResult alive = answer(200, true);
        const QByteArray textLine = text.line(link, c.path, alive);
        EXPECT_EQ(textLine, QByteArray("alive\t200 OK\t") + c.textLink + '\t' + c.textPath + '\n');
        const QByteArray csvLine = csv.line(link, c.path, alive);
        EXPECT_EQ(csvLine, QByteArray("alive,200 OK,") + c.csvFields + "\r\n");
        const QByteArray jsonLine = json.line(link, c.path, alive);
        const QJsonObject object = QJsonDocument::fromJson(jsonLine).object();
        EXPECT_EQ(object.value(QStringLiteral("path")).toString(), QString::fromUtf8(c.jsonPath))
            << c.textPath;
        EXPECT_EQ(object.value(QStringLiteral("link")).toString(), link) << c.textLink;
        textLines << textLine;
        csvLines << csvLine;
        jsonLines << jsonLine;
    }
    const qsizetype count = qsizetype(std::size(cases));
    EXPECT_EQ(textLines.size(), count);
    EXPECT_EQ(csvLines.size(), count);
    EXPECT_EQ(jsonLines.size(), count);
}
