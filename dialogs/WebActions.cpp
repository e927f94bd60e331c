#include "WebActions.h"

#include "MessageBoxes.h"
#include "Opener.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

void OpenOrReport(QWidget* parent, const QString& target)
{
    // The failure may be reported after parent has gone; the box then stands alone.
    OpenTarget(target, [owner = QPointer<QWidget>(parent), target] {
        ShowMessageBox(owner, QMessageBox::Critical, QCoreApplication::applicationName(),
                       QStringLiteral("Unable to open %1.").arg(target), QMessageBox::Ok);
    });
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
