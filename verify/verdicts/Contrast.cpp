#include "Contrast.h"

namespace {

bool answeredWithin(const ProbeResult& result, int lowest, int highest)
{
    return result.outcome == ProbeOutcome::Answered && result.statusCode >= lowest &&
           result.statusCode <= highest;
}

} // namespace

bool NeedsContrast(const ProbeResult& result)
{
    const bool page = answeredWithin(result, 200, 299) && result.page == PageSignal::SaysNotFound;
    const bool sentAway = (answeredWithin(result, 200, 299) || answeredWithin(result, 302, 302)) &&
                          (result.movedToHomePage || result.movedToSearchPage);
    return page || sentAway;
}

ContrastAnswer CompareContrast(const ProbeResult& asked, const ProbeResult& madeUp)
{
    if (answeredWithin(madeUp, 404, 404) || answeredWithin(madeUp, 410, 410))
        return ContrastAnswer::Missing;
    if (madeUp.outcome != ProbeOutcome::Answered || madeUp.statusCode != asked.statusCode)
        return ContrastAnswer::Other;
    const bool sameTarget =
        !asked.finalAddress.isEmpty() && asked.finalAddress == madeUp.finalAddress;
    // A site may give every page one title; only a made-up address that
    // also says it is not there shows the site's own "not found" page.
    const bool sameTitle =
        asked.titleKey != 0 && asked.titleKey == madeUp.titleKey && madeUp.page == asked.page;
    return sameTarget || sameTitle ? ContrastAnswer::Same : ContrastAnswer::Other;
}
