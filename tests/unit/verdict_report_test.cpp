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
    EXPECT_EQ(csv.line(QStringLiteral("http://a/"), QStringLiteral("plain.url"), answer(200, true)),
              "alive,200 OK,http://a/,plain.url\r\n");
    EXPECT_EQ(csv.line(QStringLiteral("http://a/?x=1,2"), QStringLiteral("say \"hi\".url"),
                       answer(404, false)),
              "dead,404 Not Found,\"http://a/?x=1,2\",\"say \"\"hi\"\".url\"\r\n");
    EXPECT_EQ(csv.line(QStringLiteral("http://a/"), QStringLiteral("two\r\nlines\n.url"),
                       answer(200, true)),
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
    const QByteArray line = json.line(QStringLiteral("http://a/"), path, redirected);
    ASSERT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(line.count('\n'), 1);
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.value(QStringLiteral("verdict")).toString(), QStringLiteral("alive"));
    EXPECT_EQ(object.value(QStringLiteral("path")).toString(), path);
    EXPECT_EQ(object.value(QStringLiteral("status")).toInt(), 200);
    EXPECT_EQ(object.value(QStringLiteral("redirects")).toInt(), 2);
    EXPECT_EQ(object.value(QStringLiteral("finalAddress")).toString(), QStringLiteral("http://b/"));
    EXPECT_EQ(object.value(QStringLiteral("ms")).toInt(), 17);

    ProbeResult refused;
    refused.outcome = ProbeOutcome::ConnectionRefused;
    const QJsonObject failure = QJsonDocument::fromJson(json.line(QStringLiteral("http://c/"),
                                                                  QStringLiteral("c.url"), refused))
                                    .object();
    EXPECT_EQ(failure.value(QStringLiteral("verdict")).toString(), QStringLiteral("dead"));
    EXPECT_EQ(failure.value(QStringLiteral("reason")).toString(),
              QStringLiteral("connection refused"));
    EXPECT_TRUE(failure.value(QStringLiteral("status")).isNull());
}

TEST(VerdictReport, TextKeepsOneLineOfFourColumns)
{
    const VerdictReport text(ReportFormat::Text);
    EXPECT_TRUE(text.header().isEmpty());
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), QStringLiteral("tab\there\nand.url"),
                        answer(500, false)),
              "dead\t500 Internal Server Error\thttp://a/\ttab here and.url\n");
}
