#include "WebActions.h"

#include "Opener.h"

#include <QString>

void OpenHomePage()
{
    OpenTarget(QStringLiteral("http://") + QLatin1String(HomePageAddress));
}

void OpenSupportMail()
{
    OpenTarget(QStringLiteral("mailto:") + QLatin1String(SupportMailAddress) +
               QStringLiteral("?subject=") + QStringLiteral("Orvanta support"));
}
