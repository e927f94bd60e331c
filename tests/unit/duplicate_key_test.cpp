#include "DuplicateKey.h"

#include <gtest/gtest.h>

namespace {

TEST(DuplicateKeyTest, LinksMatchExactlyWhenOnlyWhatLeavesThePageAloneDiffers)
{
    struct Case
    {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"http://example.com/a", "https://example.com/a", true},
        {"http://www.example.com/a", "http://example.com/a", true},
        {"http://example.com:80/a", "https://example.com:443/a", true},
        {"http://example.com:443/", "https://example.com/", false},
        {"http://example.com", "http://example.com/", true},
        {"http://example.com/a/", "http://example.com/a", true},
        {"http://example.com/A", "http://example.com/a", false},
        {"http://example.com/a#top", "http://example.com/a#end", true},
        {"http://example.com/a#top", "http://example.com/a", true},
        {"http://mail.example.com/mail/#inbox", "http://mail.example.com/mail/#label/Work", false},
        {"http://mail.example.com/mail/#label/Work", "http://mail.example.com/mail#label/Work",
         true},
        {"http://example.com/app/#!/home", "http://example.com/app/#!/reports/2024", false},
        {"http://example.com/app/#!home", "http://example.com/app/#!news", false},
        {"http://example.com/app/#!home", "http://example.com/app/", false},
        {"http://example.com/app/#/home", "https://www.example.com/app#/home", true},
        {"http://example.com/app/#/home", "http://example.com/app/#/Home", false},
        {"http://example.com/a?utm_source=x&id=1&fbclid=y&gclid=z&UTM_Medium=m",
         "http://example.com/a?id=1", true},
        {"http://example.com/a?b=1&a=2", "http://example.com/a?a=2&b=1", false},
        {"http://example.com/a?futm_x=1", "http://example.com/a", false},
        {"http://user@example.com/", "http://example.com/", false},
        {"  http://example.com/ \t", "http://example.com", true},
        {"MAILTO:Someone@Example.com", "mailto:Someone@Example.com", true},
        {"mailto:someone@example.com", "mailto:Someone@Example.com", false},
        {"http:example.com", "http://example.com", false},
    };
    for (const Case& c : cases) {
        const QString a = DuplicateKey(QString::fromUtf8(c.a));
        const QString b = DuplicateKey(QString::fromUtf8(c.b));
        EXPECT_EQ(a == b, c.same) << c.a << " | " << c.b << " -> " << qPrintable(a) << " | "
                                  << qPrintable(b);
    }
    EXPECT_EQ(DuplicateKey(QString()), QString());
    EXPECT_EQ(DuplicateKey(QStringLiteral("  ")), QString());
}

} // namespace
