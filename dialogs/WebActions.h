#pragma once

// The maker's web site, bare as users type it, and the support mailbox.
inline constexpr char HomePageAddress[] = "www.orvanta.example";
inline constexpr char SupportMailAddress[] = "support@orvanta.example";

// The web page in the default browser. The desktop opener needs a scheme, so
// one is added here; the address itself stays bare.
void OpenHomePage();
// A new support mail with its subject filled in; the blank is left unencoded.
void OpenSupportMail();
