#include "Contrast.h"
#include "RetryAfter.h"
#include "Verdict.h"

#include <gtest/gtest.h>

namespace {

using O = ProbeOutcome;
using V = Verdict;

ProbeResult answered(int status, PageSignal page = PageSignal::None, bool homePage = false)
{
    ProbeResult result;
    result.outcome = O::Answered;
    result.statusCode = qint16(status);
    result.page = page;
    result.movedToHomePage = homePage;
    return result;
}

ProbeResult contrasted(ProbeResult result, ContrastAnswer contrast)
{
    result.contrast = contrast;
    return result;
}

ProbeResult searchPage()
{
    ProbeResult result = answered(200);
    result.movedToSearchPage = true;
    return result;
}

ProbeResult failed(ProbeOutcome outcome)
{
    ProbeResult result;
    result.outcome = outcome;
    return result;
}

struct Case
{
    const char* what;
    ProbeResult result;
    NetworkEvidence evidence;
    Verdict person; // the final verdict as a person judges it
    bool askAgain;  // a first answer of this kind gets a second opinion
    Verdict strict; // the old rule: alive only on 200 or 302
};

const NetworkEvidence Online{true, true};
const NetworkEvidence Offline{false, false};
const NetworkEvidence OnlyAddressesAnswer{true, false};

} // namespace

TEST(VerdictTest, EveryKindOfAnswerGetsAPersonsVerdictAndTheStrictOne)
{
    const Case cases[] = {
        {"200", answered(200), Online, V::Alive, false, V::Alive},
        {"204 No Content", answered(204), Online, V::Alive, false, V::Dead},
        {"302 as the last answer", answered(302), Online, V::Alive, false, V::Alive},
        {"parked domain", answered(200, PageSignal::Parked), Online, V::Dead, false, V::Alive},
        {"expired domain", answered(200, PageSignal::Expired), Online, V::Dead, false, V::Alive},
        {"page says not found", answered(200, PageSignal::SaysNotFound), Online, V::Unsure, false,
         V::Alive},
        {"deep link sent home", answered(200, PageSignal::None, true), Online, V::Unsure, false,
         V::Alive},
        {"deep link sent to the search page", searchPage(), Online, V::Unsure, false, V::Alive},
        {"not found, the site 404s unknown addresses",
         contrasted(answered(200, PageSignal::SaysNotFound), ContrastAnswer::Missing), Online,
         V::Alive, false, V::Alive},
        {"not found, the site shows it for any address",
         contrasted(answered(200, PageSignal::SaysNotFound), ContrastAnswer::Same), Online, V::Dead,
         false, V::Alive},
        {"not found, the made-up address told nothing",
         contrasted(answered(200, PageSignal::SaysNotFound), ContrastAnswer::Other), Online,
         V::Unsure, false, V::Alive},
        {"sent home as any address is",
         contrasted(answered(302, PageSignal::None, true), ContrastAnswer::Same), Online, V::Dead,
         false, V::Alive},
        {"a plain 200 is never made dead by a contrast",
         contrasted(answered(200), ContrastAnswer::Same), Online, V::Alive, false, V::Alive},
        {"parked whatever the contrast",
         contrasted(answered(200, PageSignal::Parked), ContrastAnswer::Missing), Online, V::Dead,
         false, V::Alive},
        {"404", answered(404), Online, V::Dead, false, V::Dead},
        {"410", answered(410), Online, V::Dead, false, V::Dead},
        {"400", answered(400), Online, V::Dead, false, V::Dead},
        {"401 login", answered(401), Online, V::Unsure, false, V::Dead},
        {"403 robots", answered(403), Online, V::Unsure, false, V::Dead},
        {"407 proxy login", answered(407), Online, V::Unsure, false, V::Dead},
        {"408", answered(408), Online, V::Unsure, true, V::Dead},
        {"429", answered(429), Online, V::Unsure, true, V::Dead},
        {"451 withheld for legal reasons", answered(451), Online, V::Unsure, false, V::Dead},
        {"500", answered(500), Online, V::Unsure, true, V::Dead},
        {"503", answered(503), Online, V::Unsure, true, V::Dead},
        {"999", answered(999), Online, V::Unsure, false, V::Dead},
        {"301 without a target", answered(301), Online, V::Unsure, false, V::Dead},
        {"refused, others answered", failed(O::ConnectionRefused), Online, V::Dead, true, V::Dead},
        {"refused, offline", failed(O::ConnectionRefused), Offline, V::Unsure, true, V::Dead},
        {"no such name, names resolve", failed(O::NameNotResolved), Online, V::Dead, true, V::Dead},
        {"no such name, only a router answered", failed(O::NameNotResolved), OnlyAddressesAnswer,
         V::Unsure, true, V::Dead},
        {"connect time-out", failed(O::ConnectTimeout), Online, V::Unsure, true, V::Dead},
        {"no data", failed(O::NoDataTimeout), Online, V::Unsure, true, V::Dead},
        {"reset inside the head", failed(O::CutHead), Online, V::Unsure, true, V::Dead},
        {"TLS", failed(O::TlsFailure), Online, V::Unsure, false, V::Dead},
        {"redirect loop", failed(O::TooManyRedirects), Online, V::Dead, false, V::Dead},
        {"malformed", failed(O::MalformedLink), Online, V::Dead, false, V::Dead},
        {"malformed redirect", failed(O::MalformedRedirect), Online, V::Unsure, false, V::Dead},
        {"proxy refused", failed(O::ProxyRefused), Offline, V::Unsure, false, V::Dead},
        {"proxy error", failed(O::ProxyError), Online, V::Unsure, false, V::Dead},
        // No request could be made: says nothing of the link, in either mode.
        {"out of open files", failed(O::OutOfFiles), Online, V::Unsure, true, V::Unchecked},
        {"head too large", failed(O::HeadTooLarge), Online, V::Unsure, false, V::Dead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Judgement first = JudgeProbe(c.result, JudgeMode::Person, c.evidence, false);
        EXPECT_EQ(first.askAgain, c.askAgain);
        // While a second opinion is awaited, nothing is called dead.
        if (first.askAgain) {
            EXPECT_EQ(first.verdict, V::Unsure);
        }
        const Judgement last = JudgeProbe(c.result, JudgeMode::Person, c.evidence, true);
        EXPECT_EQ(last.verdict, c.person);
        EXPECT_FALSE(last.askAgain);
        const Judgement strict = JudgeProbe(c.result, JudgeMode::Strict, c.evidence, false);
        EXPECT_EQ(strict.verdict, c.strict);
        EXPECT_FALSE(strict.askAgain);
    }
}

TEST(VerdictTest, ReasonsSayWhatHappenedAndWhatToDo)
{
    ProbeResult forbidden = answered(403);
    forbidden.detail = QStringLiteral("Forbidden");
    EXPECT_EQ(JudgeProbe(forbidden, JudgeMode::Person, Online, true).text,
              QStringLiteral(
                  "Not sure: 403 Forbidden, the site refuses robots; open it in a browser to see"));
    EXPECT_EQ(JudgeProbe(forbidden, JudgeMode::Strict, Online, true).text,
              QStringLiteral("Dead: 403 Forbidden"));

    EXPECT_EQ(JudgeProbe(answered(451), JudgeMode::Person, Online, true).text,
              QStringLiteral("Not sure: 451 Unavailable For Legal Reasons, withheld here for legal "
                             "reasons; it may open from elsewhere"));

    EXPECT_EQ(JudgeProbe(answered(200, PageSignal::Expired), JudgeMode::Person, Online, true).text,
              QStringLiteral("Dead: 200 OK, the domain has expired"));

    const Judgement offline =
        JudgeProbe(failed(O::ConnectionRefused), JudgeMode::Person, Offline, true);
    EXPECT_TRUE(offline.noNetwork);
    EXPECT_EQ(offline.text, QStringLiteral("Not sure: connection refused, no network?; check the "
                                           "connection and run again"));
    EXPECT_FALSE(JudgeProbe(answered(503), JudgeMode::Person, Offline, true).noNetwork);
    EXPECT_EQ(NotWebLinkJudgement().verdict, V::Unchecked);
    EXPECT_EQ(NotWebLinkJudgement().text, QStringLiteral("Not checked: not a web link"));
    EXPECT_EQ(NotWebLinkJudgement().reason, QStringLiteral("not a web link"));
    EXPECT_EQ(NoLinkJudgement().verdict, V::Dead);
    EXPECT_EQ(NoLinkJudgement().text, QStringLiteral("Dead: the shortcut holds no link"));
    EXPECT_EQ(NoLinkJudgement().reason, QStringLiteral("the shortcut holds no link"));

    // A run stopped before the second opinion calls nothing dead.
    EXPECT_EQ(UnsettledJudgement(failed(O::ConnectionRefused), Online).text,
              QStringLiteral("Not sure: connection refused, not settled; check again later"));
    EXPECT_TRUE(UnsettledJudgement(failed(O::NameNotResolved), Offline).noNetwork);
}

TEST(VerdictTest, RetryAfterIsSecondsOrADateAndNeverMoreThanAMinute)
{
    const std::time_t now = 784111777; // Sun, 06 Nov 1994 08:49:37 GMT
    const struct
    {
        const char* value;
        std::optional<int> seconds;
    } cases[] = {
        {"7", 7},
        {" 30 ", 30},
        {"0", 0},
        {"0007", 7},
        {"120", 60},
        {"99999999999999999999", 60},
        {"Sun, 06 Nov 1994 08:49:57 GMT", 20},
        {"Sunday, 06-Nov-94 08:50:07 GMT", 30},
        {"Sun Nov  6 08:49:47 1994", 10},
        {"Sun, 06 Nov 1994 08:00:00 GMT", 0},
        {"Mon, 07 Nov 1994 08:49:37 GMT", 60},
        {"", std::nullopt},
        {"-5", std::nullopt},
        {"soon", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RetryAfterSeconds(c.value, now), c.seconds);
    }
}

// What a made-up address's answer says of the page asked for. A site may
// give every page one title: only a made-up page that also says it is not
// there shows the site's own "not found" page.
TEST(VerdictTest, MadeUpAddressesTellGonePagesFromLiveOnesOnlyByAnAnswerLikeTheirOwn)
{
    const auto answer = [](int status, quint32 title, PageSignal page, QString to = {}) {
        ProbeResult result;
        result.outcome = ProbeOutcome::Answered;
        result.statusCode = status;
        result.titleKey = title;
        result.page = page;
        result.finalAddress = std::move(to);
        return result;
    };
    const ProbeResult saysGone = answer(200, 7, PageSignal::SaysNotFound);
    const ProbeResult sentHome = answer(200, 9, PageSignal::None, "http://a.example/");
    ProbeResult refused;
    refused.outcome = ProbeOutcome::ConnectionRefused;
    const struct
    {
        const char* name;
        ProbeResult asked;
        ProbeResult madeUp;
        ContrastAnswer expected;
    } cases[] = {
        {"404", saysGone, answer(404, 0, PageSignal::None), ContrastAnswer::Missing},
        {"410", saysGone, answer(410, 3, PageSignal::None), ContrastAnswer::Missing},
        {"same title, same word", saysGone, answer(200, 7, PageSignal::SaysNotFound),
         ContrastAnswer::Same},
        {"same title, says nothing", saysGone, answer(200, 7, PageSignal::None),
         ContrastAnswer::Other},
        {"other title", saysGone, answer(200, 8, PageSignal::SaysNotFound), ContrastAnswer::Other},
        {"no title", answer(200, 0, PageSignal::SaysNotFound),
         answer(200, 0, PageSignal::SaysNotFound), ContrastAnswer::Other},
        {"same redirect target", sentHome, answer(200, 4, PageSignal::None, "http://a.example/"),
         ContrastAnswer::Same},
        {"other status", saysGone, answer(500, 7, PageSignal::SaysNotFound), ContrastAnswer::Other},
        {"no answer", saysGone, refused, ContrastAnswer::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareContrast(c.asked, c.madeUp), c.expected) << c.name;
}
