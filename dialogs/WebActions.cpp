#include "WebActions.h"

#include "LinkOpening.h"
#include "LinkPassword.h"
#include "MessageBoxes.h"
#include "Opener.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

void OpenOrReport(QWidget* parent, const QString& target)
{
    // The failure may be reported after parent has gone; the box then stands alone.
    OpenTarget(target, [owner = QPointer<QWidget>(parent), target](const QString& why) {
        ShowMessageBox(
            owner, QMessageBox::Critical, QCoreApplication::applicationName(),
            QStringLiteral("Unable to open %1: %2.")
                .arg(target.isEmpty() ? QStringLiteral("the link") : MaskPassword(target), why),
            QMessageBox::Ok);
    });
}

void OpenLink(QWidget* parent, const QString& link)
{
    const LinkOpening opening = PlanLinkOpening(link);
    if (!opening.askedScheme.isEmpty()) {
        const QString question =
            QStringLiteral("Open this link with the program your desktop has for \"%1:\"?")
                .arg(opening.askedScheme);
        const auto answer = ShowMessageBox(
            parent, QMessageBox::Warning, QCoreApplication::applicationName(), question,
            QMessageBox::Yes | QMessageBox::No, MaskPassword(link), QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    OpenOrReport(parent, opening.target);
}

void OpenHomePage(QWidget* parent)
{
    OpenOrReport(parent, QStringLiteral("http://") + QLatin1String(HomePageAddress));
}

void OpenSupportMail(QWidget* parent)
{
    OpenOrReport(parent, QStringLiteral("mailto:") + QLatin1String(SupportMailAddress) +
                             QStringLiteral("?subject=") + QStringLiteral("Orvanta support"));
}
