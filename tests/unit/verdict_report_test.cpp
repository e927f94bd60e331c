#include "ResultsStore.h"
#include "VerdictReport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <algorithm>
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

// The final verdict on a result of a run in which servers answered.
LinkVerdict judged(const ProbeResult& result, JudgeMode mode = JudgeMode::Person, int attempts = 1)
{
    return {result, JudgeProbe(result, mode, {true, true}, true), attempts};
}

} // namespace

TEST(VerdictReport, CsvQuotesOnlyTheFieldsThatNeedIt)
{
    const VerdictReport csv(ReportFormat::Csv);
    EXPECT_EQ(csv.header(), "verdict,reason,link,path\r\n");
    EXPECT_EQ(csv.line(QStringLiteral("http://a/"), "plain.url", judged(answer(200, true))),
              "alive,200 OK,http://a/,plain.url\r\n");
    EXPECT_EQ(
        csv.line(QStringLiteral("http://a/?x=1,2"), "say \"hi\".url", judged(answer(404, false))),
        "dead,404 Not Found,\"http://a/?x=1,2\",\"say \"\"hi\"\".url\"\r\n");
    EXPECT_EQ(
        csv.line(QStringLiteral("http://a/"), "two\r\nlines\n.url", judged(answer(200, true))),
        "alive,200 OK,http://a/,two\\x0d\\x0alines\\x0a.url\r\n");

    // Saved from the window: when each verdict was made comes last, empty
    // (null in JSON) when it is not known.
    const QDateTime when(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());
    const VerdictReport dated(ReportFormat::Csv, true);
    EXPECT_EQ(dated.header(), "verdict,reason,link,path,checked\r\n");
    EXPECT_EQ(
        dated.line(QStringLiteral("http://a/"), "a.url", judged(answer(200, true)), nullptr, when),
        "alive,200 OK,http://a/,a.url,2026-03-01T12:00:00Z\r\n");
    EXPECT_EQ(dated.line(QStringLiteral("http://a/"), "a.url", judged(answer(200, true))),
              "alive,200 OK,http://a/,a.url,\r\n");
    const QJsonObject json =
        QJsonDocument::fromJson(VerdictReport(ReportFormat::Json, true)
                                    .line(QStringLiteral("http://a/"), "a.url",
                                          judged(answer(200, true)), nullptr, when))
            .object();
    EXPECT_EQ(json.value(QStringLiteral("checked")).toString(), "2026-03-01T12:00:00Z");
    EXPECT_FALSE(QJsonDocument::fromJson(
                     VerdictReport(ReportFormat::Json)
                         .line(QStringLiteral("http://a/"), "a.url", judged(answer(200, true))))
                     .object()
                     .contains(QStringLiteral("checked")))
        << "the command line's lines stay as they were";
}

TEST(VerdictReport, JsonLinesEscapeAndTellFailuresFromAnswersAndHowTheVerdictCame)
{
    const VerdictReport json(ReportFormat::Json);
    EXPECT_TRUE(json.header().isEmpty());

    ProbeResult redirected = answer(200, true);
    redirected.redirects = 2;
    redirected.finalAddress = QStringLiteral("http://b/");
    redirected.elapsedMs = 17;
    redirected.permanentRedirects = true;
    const QString path = QStringLiteral("a \"quoted\"\\path\nwith \u00e9.url");
    const QByteArray line = json.line(QStringLiteral("http://a/"), path.toUtf8(),
                                      judged(redirected, JudgeMode::Person, 2));
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
    EXPECT_EQ(object.value(QStringLiteral("attempts")).toInt(), 2);
    EXPECT_TRUE(object.value(QStringLiteral("permanent")).toBool());

    ProbeResult refused;
    refused.outcome = ProbeOutcome::ConnectionRefused;
    const QJsonObject failure =
        QJsonDocument::fromJson(json.line(QStringLiteral("http://c/"), "c.url", judged(refused)))
            .object();
    EXPECT_EQ(failure.value(QStringLiteral("verdict")).toString(), QStringLiteral("dead"));
    EXPECT_EQ(failure.value(QStringLiteral("reason")).toString(),
              QStringLiteral("connection refused"));
    EXPECT_TRUE(failure.value(QStringLiteral("status")).isNull());
    EXPECT_FALSE(failure.value(QStringLiteral("permanent")).toBool());

    const QJsonObject mail =
        QJsonDocument::fromJson(
            json.line(QStringLiteral("mailto:a@b"), "m.url", {{}, NotWebLinkJudgement(), 0}))
            .object();
    EXPECT_EQ(mail.value(QStringLiteral("verdict")).toString(), QStringLiteral("unchecked"));
    EXPECT_EQ(mail.value(QStringLiteral("reason")).toString(), QStringLiteral("not a web link"));
    EXPECT_EQ(mail.value(QStringLiteral("attempts")).toInt(-1), 0);
    EXPECT_TRUE(mail.value(QStringLiteral("status")).isNull());
}

TEST(VerdictReport, TextKeepsOneLineOfFourColumnsWithTheVerdictsWordAndReason)
{
    const VerdictReport text(ReportFormat::Text);
    EXPECT_TRUE(text.header().isEmpty());
    EXPECT_EQ(
        text.line(QStringLiteral("http://a/"), "tab\there\nand.url", judged(answer(500, false))),
        "unsure\t500 Internal Server Error, the server has trouble; check again later"
        "\thttp://a/\ttab\\x09here\\x0aand.url\n");
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), "a.url",
                        judged(answer(500, false), JudgeMode::Strict)),
              "dead\t500 Internal Server Error\thttp://a/\ta.url\n");

    ProbeResult unmade;
    unmade.outcome = ProbeOutcome::OutOfFiles;
    EXPECT_EQ(text.line(QStringLiteral("http://a/"), "a.url", judged(unmade, JudgeMode::Strict)),
              "unchecked\tout of open files\thttp://a/\ta.url\n");
}

// Bytes that would act on a terminal or turn the text after them around.
bool holdsActingBytes(const QByteArray& line)
{
    QByteArray body = line.chopped(1); // the line's own end
    if (body.endsWith('\r'))
        body.chop(1);
    const QString text = QString::fromUtf8(body);
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t code = c.unicode();
        return (code < 0x20 && code != u'\t') || (code >= 0x7F && code <= 0x9F) ||
               (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
    });
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
         "http://a/,\\x1b[1A\\x1b[2Kgone.url", "\x1b[1A\x1b[2Kgone.url"},
        // C1 CSI (U+009B), DEL, and a link that sets the window's title.
        {"a\xc2\x9bJ\x7f.url", "http://a/\x1b]0;owned\x07",
         "http://a/\\x1b]0;owned\\x07\ta\\xc2\\x9bJ\\x7f.url",
         "http://a/\\x1b]0;owned\\x07,a\\xc2\\x9bJ\\x7f.url", "a\xc2\x9bJ\x7f.url"},
        // A right-to-left override shows "exe.url" as "lru.exe"; isolates
        // in a link move what follows them.
        {"\xe2\x80\xae"
         "exe.url",
         "http://a/\xe2\x81\xa6x\xe2\x81\xa9\xe2\x80\xaa",
         "http://a/\\u2066x\\u2069\\u202a\t\\u202eexe.url",
         "http://a/\\u2066x\\u2069\\u202a,\\u202eexe.url",
         "\xe2\x80\xae"
         "exe.url"},
        {"\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x81\xa7\xe2\x81\xa8.url", "http://a/",
         "http://a/\t\\u202b\\u202c\\u202d\\u2067\\u2068.url",
         "http://a/,\\u202b\\u202c\\u202d\\u2067\\u2068.url",
         "\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x81\xa7\xe2\x81\xa8.url"},
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
        const LinkVerdict alive = judged(answer(200, true));
        const QByteArray text = VerdictReport(ReportFormat::Text).line(link, c.path, alive);
        EXPECT_EQ(text, QByteArray("alive\t200 OK\t") + c.text + '\n');
        const QByteArray csv = VerdictReport(ReportFormat::Csv).line(link, c.path, alive);
        EXPECT_EQ(csv, QByteArray("alive,200 OK,") + c.csv + "\r\n");
        const QByteArray json = VerdictReport(ReportFormat::Json).line(link, c.path, alive);
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        EXPECT_EQ(object.value(QStringLiteral("path")).toString(), QString::fromUtf8(c.json));
        EXPECT_EQ(object.value(QStringLiteral("link")).toString(), link);
        for (const QByteArray& line : {text, csv, json})
            EXPECT_FALSE(holdsActingBytes(line)) << line.toStdString();
    }
}

TEST(VerdictReport, WithArchivedEachFormatSaysTheCopyOfADeadLinkAndNothingElse)
{
    KeptResult kept;
    kept.verdict = Verdict::Dead;
    kept.archiveUrl = QStringLiteral("http://web.archive.org/web/20130919044612/http://a/");
    kept.archiveTimestamp = QStringLiteral("20130919044612");
    KeptResult none = kept;
    none.archiveUrl.clear();
    none.archiveTimestamp.clear();
    const LinkVerdict dead = judged(answer(404, false));
    const LinkVerdict alive = judged(answer(200, true));
    const QString link = QStringLiteral("http://a/");
    const std::string copy = kept.archiveUrl.toStdString();

    const VerdictReport csv(ReportFormat::Csv, false, true);
    EXPECT_EQ(csv.header(), "verdict,reason,link,path,archived\r\n");
    EXPECT_EQ(csv.line(link, "a.url", dead, &kept).toStdString(),
              "dead,404 Not Found,http://a/,a.url," + copy + "\r\n");
    EXPECT_EQ(csv.line(link, "a.url", dead, &none), "dead,404 Not Found,http://a/,a.url,\r\n");
    EXPECT_EQ(csv.line(link, "a.url", alive, &kept), "alive,200 OK,http://a/,a.url,\r\n");

    const VerdictReport text(ReportFormat::Text, false, true);
    EXPECT_EQ(text.line(link, "a.url", dead, &kept).toStdString(),
              "dead\t404 Not Found\thttp://a/\ta.url\n\tArchived copy from 19 September 2013: " +
                  copy + "\n");
    EXPECT_EQ(text.line(link, "a.url", dead, &none), "dead\t404 Not Found\thttp://a/\ta.url\n");
    EXPECT_EQ(text.line(link, "a.url", dead), "dead\t404 Not Found\thttp://a/\ta.url\n");

    const VerdictReport json(ReportFormat::Json, false, true);
    const auto archived = [&](const LinkVerdict& verdict, const KeptResult* result) {
        return QJsonDocument::fromJson(json.line(link, "a.url", verdict, result))
            .object()
            .value(QStringLiteral("archived"));
    };
    EXPECT_EQ(archived(dead, &kept).toObject().value("url").toString(), kept.archiveUrl);
    EXPECT_EQ(archived(dead, &kept).toObject().value("timestamp").toString(), "20130919044612");
    EXPECT_TRUE(archived(dead, &none).isNull());
    EXPECT_TRUE(archived(alive, &kept).isNull());
    EXPECT_TRUE(archived(dead, nullptr).isNull());
    // Without it, lines are as they were.
    EXPECT_FALSE(
        QJsonDocument::fromJson(VerdictReport(ReportFormat::Json).line(link, "a", dead, &kept))
            .object()
            .contains(QStringLiteral("archived")));
    EXPECT_EQ(VerdictReport(ReportFormat::Text).line(link, "a.url", dead, &kept),
              "dead\t404 Not Found\thttp://a/\ta.url\n");
}
