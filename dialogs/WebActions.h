#pragma once

#include <QString>

class QWidget;

// The maker's web site, bare as users type it, and the support mailbox.
inline constexpr char HomePageAddress[] = "www.orvanta.example";
inline constexpr char SupportMailAddress[] = "support@orvanta.example";

// Opens target with the desktop; when that fails, an error box over parent
// names what could not be opened and why.
void OpenOrReport(QWidget* parent, const QString& target);

// A bookmark's link with the desktop. A link that may start a program
// rather than a browser or mail program is opened only when the user says
// Yes to a question that shows it whole; No is the default.
void OpenLink(QWidget* parent, const QString& link);

// The web page in the default browser. The desktop opener needs a scheme, so
// one is added here; the address itself stays bare.
void OpenHomePage(QWidget* parent);
// A new support mail with its subject filled in; the blank is left unencoded.
void OpenSupportMail(QWidget* parent);
