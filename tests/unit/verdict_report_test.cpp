#include "VerdictReport.h"

#include <QJsonDocument>
#include <QJsonObject>
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

    ProbeResult unmade;
    unmade.outcome = ProbeOutcome::OutOfFiles;
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), "a.url", unmade),
              "unchecked\tout of open files\thttp://a/\ta.url\n");
}

TEST(VerdictReport, HostileNamesNeitherActNorPrintAlike)
{
    const struct
    {
        const char* path; // the shortcut's bytes
        const char* link;
        const char* text; // link and path as the text format shows them
        const char* csv;
        const char* json; // the path
    } cases[] = {
        // Erases the line above, where a dead link was shown.
        {"\x1b[1A\x1b[2Kgone.url", "http://a/", "http://a/\t\\x1b[1A\\x1b[2Kgone.url",
         "http://a/,\x1b[1A\x1b[2Kgone.url", "\x1b[1A\x1b[2Kgone.url"},
        // C1 CSI (U+009B), DEL, and a link that sets the window's title.
        {"a\xc2\x9bJ\x7f.url", "http://a/\x1b]0;owned\x07",
         "http://a/\\x1b]0;owned\\x07\ta\\xc2\\x9bJ\\x7f.url",
         "http://a/\x1b]0;owned\x07,a\xc2\x9bJ\x7f.url", "a\xc2\x9bJ\x7f.url"},
        // Not UTF-8, and a name spelling that escape: both must stay apart.
        {"caf\xe9.url", "http://a/", "http://a/\tcaf\\xe9.url", "http://a/,caf\\xe9.url",
         "caf\\xe9.url"},
        {"caf\\xe9.url", "http://a/", "http://a/\tcaf\\\\xe9.url", "http://a/,caf\\\\xe9.url",
         "caf\\\\xe9.url"},
        // Formulas a spreadsheet would run.
        {"=cmd|' /C calc'!A0.url", "@SUM(1+1)", "@SUM(1+1)\t=cmd|' /C calc'!A0.url",
         "'@SUM(1+1),'=cmd|' /C calc'!A0.url", "=cmd|' /C calc'!A0.url"},
    };
    for (const auto& c : cases) {
        const QString link = QString::fromUtf8(c.link);
        const ProbeResult alive = answer(200, true);
        const QByteArray text = VerdictReport(ReportFormat::Text).line(link, c.path, alive);
        EXPECT_EQ(text, QByteArray("alive\t200 OK\t") + c.text + '\n');
        const QByteArray csv = VerdictReport(ReportFormat::Csv).line(link, c.path, alive);
        EXPECT_EQ(csv, QByteArray("alive,200 OK,") + c.csv + "\r\n");
        const QByteArray json = VerdictReport(ReportFormat::Json).line(link, c.path, alive);
        EXPECT_EQ(QJsonDocument::fromJson(json).object().value(QStringLiteral("path")).toString(),
                  QString::fromUtf8(c.json));
    }
}
