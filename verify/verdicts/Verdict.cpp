#include "Verdict.h"

#include "Contrast.h"

#include <algorithm>
#include <iterator>

namespace {

using O = ProbeOutcome;
using V = Verdict;

// What the page must have shown for a rule to apply.
enum class Page : quint8
{
    Any,
    Parked,
    SaysNotFound,
    Expired,
    HomePage,   // the redirects ended on a site's home page
    SearchPage, // or on its search page
    // A page that looked gone (not found, home or search page) on a site that
    // answers an address that cannot exist with 404: the page is there after all.
    Unknown404,
    // The same, on a site that gives every unknown address this very answer.
    SameForAny,
};

// The evidence a rule needs; without it the next rule for the outcome applies.
enum class Needs : quint8
{
    Nothing,
    ServerAnswered,
    HostNameAnswered,
};

enum class Again : quint8
{
    No,
    Yes, // a first answer of this kind may pass: ask once more later
};

struct Rule
{
    ProbeOutcome outcome;
    int lowest; // final status range, for answers
    int highest;
    Page page;
    Needs needs;
    Verdict verdict;
    Again again;
    const char* meaning; // what the answer tells, after its reason
    const char* advice;  // what to do about it
};

constexpr int AnyCode = 0;
constexpr int LastCode = 0x7fff;
constexpr const char* Open = "open it in a browser to see";
constexpr const char* Later = "check again later";
constexpr const char* Proxy = "check the proxy in Options";
constexpr const char* Offline = "check the connection and run again";
constexpr const char* UnknownIs404 = "the site answers unknown addresses with 404";
constexpr const char* ShownForAny = "gone: the site shows this page for any unknown address";

// A person's reading of a finished probe; the first rule that matches decides.
// clang-format off
constexpr Rule PersonRules[] = {
    // outcome                from     to        page                needs                    verdict    again       meaning                                    advice
    {O::Answered,             200,     299,      Page::Parked,       Needs::Nothing,          V::Dead,   Again::No,  "the domain is parked or for sale",        ""},
    {O::Answered,             200,     299,      Page::Expired,      Needs::Nothing,          V::Dead,   Again::No,  "the domain has expired",                  ""},
    {O::Answered,             200,     299,      Page::Unknown404,   Needs::Nothing,          V::Alive,  Again::No,  "",                                        UnknownIs404},
    {O::Answered,             302,     302,      Page::Unknown404,   Needs::Nothing,          V::Alive,  Again::No,  "",                                        UnknownIs404},
    {O::Answered,             200,     299,      Page::SameForAny,   Needs::Nothing,          V::Dead,   Again::No,  ShownForAny,                               ""},
    {O::Answered,             302,     302,      Page::SameForAny,   Needs::Nothing,          V::Dead,   Again::No,  ShownForAny,                               ""},
    {O::Answered,             200,     299,      Page::SaysNotFound, Needs::Nothing,          V::Unsure, Again::No,  "the page says it was not found",          Open},
    {O::Answered,             200,     299,      Page::HomePage,     Needs::Nothing,          V::Unsure, Again::No,  "sent to the site's home page",            Open},
    {O::Answered,             302,     302,      Page::HomePage,     Needs::Nothing,          V::Unsure, Again::No,  "sent to the site's home page",            Open},
    {O::Answered,             200,     299,      Page::SearchPage,   Needs::Nothing,          V::Unsure, Again::No,  "sent to the site's search page",          Open},
    {O::Answered,             302,     302,      Page::SearchPage,   Needs::Nothing,          V::Unsure, Again::No,  "sent to the site's search page",          Open},
    {O::Answered,             200,     299,      Page::Any,          Needs::Nothing,          V::Alive,  Again::No,  "",                                        ""},
    {O::Answered,             302,     302,      Page::Any,          Needs::Nothing,          V::Alive,  Again::No,  "",                                        ""},
    {O::Answered,             401,     401,      Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "the page asks for a login",               Open},
    {O::Answered,             403,     403,      Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "the site refuses robots",                 Open},
    {O::Answered,             407,     407,      Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "the proxy asks for a login",              Proxy},
    {O::Answered,             408,     408,      Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "the server stopped waiting",              Later},
    {O::Answered,             429,     429,      Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "the site asks to slow down",              Later},
    {O::Answered,             451,     451,      Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "withheld here for legal reasons",         "it may open from elsewhere"},
    {O::Answered,             400,     499,      Page::Any,          Needs::Nothing,          V::Dead,   Again::No,  "",                                        ""},
    {O::Answered,             500,     599,      Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "the server has trouble",                  Later},
    {O::Answered,             300,     399,      Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "a redirect that leads nowhere",           Open},
    {O::Answered,             AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "not a standard answer",                   Open},
    {O::ConnectionRefused,    AnyCode, LastCode, Page::Any,          Needs::ServerAnswered,   V::Dead,   Again::Yes, "",                                        ""},
    {O::ConnectionRefused,    AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "no network?",                             Offline},
    {O::NameNotResolved,      AnyCode, LastCode, Page::Any,          Needs::HostNameAnswered, V::Dead,   Again::Yes, "",                                        ""},
    {O::NameNotResolved,      AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "no network?",                             Offline},
    {O::ConnectTimeout,       AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "",                                        Later},
    {O::NoDataTimeout,        AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "",                                        Later},
    {O::OverallTimeout,       AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "",                                        Later},
    {O::CutHead,              AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "",                                        Later},
    {O::OtherFailure,         AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "",                                        Later},
    {O::TlsFailure,           AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "the site's certificate was not accepted", Open},
    {O::TooManyRedirects,     AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Dead,   Again::No,  "",                                        ""},
    {O::MalformedLink,        AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Dead,   Again::No,  "",                                        ""},
    {O::SchemeNotAllowed,     AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "redirected to no web page",               Open},
    {O::ProxyRefused,         AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "",                                        Proxy},
    {O::ProxyNameNotResolved, AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "",                                        Proxy},
    {O::ProxyError,           AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "",                                        Proxy},
    {O::Cancelled,            AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "",                                        Later},
    {O::OutOfFiles,           AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::Yes, "",                                        Later},
    {O::HeadTooLarge,         AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "",                                        Open},
    {O::MalformedRedirect,    AnyCode, LastCode, Page::Any,          Needs::Nothing,          V::Unsure, Again::No,  "",                                        ""},
};
// clang-format on

Page pageOf(const ProbeResult& result)
{
    if (result.page == PageSignal::Parked)
        return Page::Parked;
    if (result.page == PageSignal::Expired)
        return Page::Expired;
    if (NeedsContrast(result)) {
        if (result.contrast == ContrastAnswer::Missing)
            return Page::Unknown404;
        if (result.contrast == ContrastAnswer::Same)
            return Page::SameForAny;
    }
    if (result.page == PageSignal::SaysNotFound)
        return Page::SaysNotFound;
    if (result.movedToHomePage)
        return Page::HomePage;
    return result.movedToSearchPage ? Page::SearchPage : Page::Any;
}

bool evidenceHolds(Needs needs, const NetworkEvidence& evidence)
{
    switch (needs) {
    case Needs::ServerAnswered:
        return evidence.serverAnswered;
    case Needs::HostNameAnswered:
        return evidence.hostNameAnswered;
    case Needs::Nothing:
        break;
    }
    return true;
}

bool matches(const Rule& rule, const ProbeResult& result, const NetworkEvidence& evidence)
{
    if (rule.outcome != result.outcome)
        return false;
    if (rule.outcome == O::Answered &&
        (result.statusCode < rule.lowest || result.statusCode > rule.highest))
        return false;
    if (rule.page != Page::Any && rule.page != pageOf(result))
        return false;
    return evidenceHolds(rule.needs, evidence);
}

QString verdictName(Verdict verdict)
{
    switch (verdict) {
    case V::Alive:
        return QStringLiteral("Alive");
    case V::Dead:
        return QStringLiteral("Dead");
    case V::Unsure:
        return QStringLiteral("Not sure");
    case V::Unchecked:
        break;
    }
    return QStringLiteral("Not checked");
}

// "403 Forbidden, the site refuses robots; open it in a browser to see"
QString explanation(const QString& reason, const char* meaning, const char* advice)
{
    QString text = reason;
    if (*meaning)
        text += QStringLiteral(", ") + QLatin1String(meaning);
    if (*advice)
        text += QStringLiteral("; ") + QLatin1String(advice);
    return text;
}

Judgement judged(Verdict verdict, const QString& reason, const char* meaning, const char* advice,
                 bool askAgain = false, bool noNetwork = false)
{
    const QString explained = explanation(reason, meaning, advice);
    return {verdict, verdictName(verdict) + QStringLiteral(": ") + explained, explained, askAgain,
            noNetwork};
}

Judgement strictJudgement(const ProbeResult& result)
{
    // Short of descriptors, the program made no request: the link is not to blame.
    if (result.outcome == O::OutOfFiles)
        return judged(V::Unchecked, ProbeReasonText(result), "", "");
    const bool alive =
        result.outcome == O::Answered && (result.statusCode == 200 || result.statusCode == 302);
    return judged(alive ? V::Alive : V::Dead, ProbeReasonText(result), "", "");
}

} // namespace

Judgement JudgeProbe(const ProbeResult& result, JudgeMode mode, const NetworkEvidence& evidence,
                     bool finalAttempt)
{
    if (mode == JudgeMode::Strict)
        return strictJudgement(result);
    const QString reason = ProbeReasonText(result);
    const Rule* rule = std::find_if(std::begin(PersonRules), std::end(PersonRules),
                                    [&](const Rule& r) { return matches(r, result, evidence); });
    if (rule == std::end(PersonRules))
        return judged(V::Unsure, reason, "", Later);
    if (rule->again == Again::Yes && !finalAttempt)
        return judged(V::Unsure, reason, "", "checking again soon", true);
    const bool noNetwork = rule->verdict == V::Unsure && rule->advice == Offline;
    return judged(rule->verdict, reason, rule->meaning, rule->advice, false, noNetwork);
}

Judgement NotWebLinkJudgement()
{
    return judged(V::Unchecked, QStringLiteral("not a web link"), "", "");
}

Judgement NoLinkJudgement()
{
    return judged(V::Dead, QStringLiteral("the shortcut holds no link"), "", "");
}

Judgement HostLimitJudgement(int checked, int links)
{
    Judgement judgement =
        judged(V::Unsure,
               QStringLiteral("the site limits robots; checked %1 of its %2 links")
                   .arg(checked)
                   .arg(links),
               "", "");
    judgement.askFirst = true;
    return judgement;
}

Judgement UnsettledJudgement(const ProbeResult& result, const NetworkEvidence& evidence)
{
    Judgement judgement = JudgeProbe(result, JudgeMode::Person, evidence, true);
    if (judgement.verdict == V::Unsure)
        return judgement;
    return judged(V::Unsure, ProbeReasonText(result), "not settled", Later);
}

QString VerdictWord(Verdict verdict)
{
    switch (verdict) {
    case V::Alive:
        return QStringLiteral("alive");
    case V::Dead:
        return QStringLiteral("dead");
    case V::Unsure:
        return QStringLiteral("unsure");
    case V::Unchecked:
        break;
    }
    return QStringLiteral("unchecked");
}
