#pragma once

#include "TagAttributes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Reads decoded HTML as it arrives, in pieces of any size, and gives out
// what a reader of the page sees: the title, and the visible text with
// tags, comments, scripts and styles left out and character references
// decoded; and what may send a browser on: a refresh, the page's scripts.
// Holds only the construct it is in the middle of (a tag name, a
// reference, the title so far), never the page.
class HtmlTextScanner final
{
public:
    // Stops reading once textLimit characters of text (blanks aside) have
    // come past the title, at the same character however the page is cut
    // into pieces.
    explicit HtmlTextScanner(qsizetype textLimit) : textLimit_(textLimit) {}

    // Appends the visible text of html (the title's included) to visible.
    void scan(QStringView html, QString& visible);
    bool atTextLimit() const { return textPastTitle_ >= textLimit_; }

    // The title, once its end tag has been read.
    bool titleComplete() const { return titleDone_; }
    const QString& title() const { return title_; }
    // A heading of the page (h1 to h3) whose end tag has been read; major
    // for h1 and h2.
    struct Heading
    {
        QString text;
        bool major = false;
    };
    // A page that says it is not there says so in its first major headings.
    static constexpr qsizetype MajorHeadings = 3;
    // The page's first headings in order: all of them until their text
    // comes to a bound, and on until MajorHeadings major ones are in.
    const QList<Heading>& headings() const { return headings_; }
    // The content of the first <meta http-equiv="refresh"> outside
    // <noscript> (a browser that runs scripts skips those), as written.
    const std::optional<QString>& refresh() const { return refresh_; }
    // The text of the page's only script, when it is written in the page,
    // short, and its end tag has been read.
    std::optional<QString> onlyScript() const;
    // Whether the page's title is behind: it has ended, or the body began
    // without one.
    bool pastTitle() const { return titleDone_ || bodyBegun_; }

private:
    enum class State : quint8
    {
        Data,
        TagOpen,
        EndTagOpen,
        TagName,
        Attributes,
        QuotedValue,
        MarkupOpen,
        Comment,
        Bogus,
        RawText,
        Reference,
    };

    void step(QChar c);
    void data(QChar c);
    void tagOpen(QChar c);
    void endTagOpen(QChar c);
    void tagName(QChar c);
    void attributes(QChar c);
    void markupOpen(QChar c);
    void comment(QChar c);
    void rawText(QChar c);
    void reference(QChar c);
    void startTag(QChar c, bool endTag);
    void beginAttributes();
    void noteMeta();
    void noteScript();
    void keepScript(QStringView text);
    void startReference(State back);
    void endOfTag();
    void heading(bool ends);
    void enterRawText(const QString& name);
    void emitText(QStringView text);

    qsizetype textLimit_;
    qsizetype textPastTitle_ = 0;
    QString* visible_ = nullptr;
    QString title_;
    QList<Heading> headings_;
    Heading heading_;            // the one being read
    qsizetype headingsText_ = 0; // of those kept
    qsizetype majorHeadings_ = 0;
    TagAttributes attributes_;
    std::optional<QString> refresh_;
    QString script_; // the first script's text
    int scripts_ = 0;
    QString tagName_;
    QString reference_;
    QString rawEnd_;           // the end tag that closes the raw text, "</script"
    qsizetype rawMatched_ = 0; // how much of it has been seen
    int dashes_ = 0;
    int commentLength_ = 0;
    State state_ = State::Data;
    State referenceReturn_ = State::Data;
    char16_t quote_ = 0;
    bool endTag_ = false;
    bool afterEquals_ = false;
    bool inValue_ = false;  // an unquoted attribute value
    bool nameDone_ = false; // an attribute name ended by a blank
    bool inTitle_ = false;
    bool inHeading_ = false;
    bool inNoscript_ = false;
    bool inScript_ = false; // in the first script, which is kept
    bool scriptWhole_ = false;
    bool scriptCut_ = false;
    bool titleSeen_ = false;
    bool titleDone_ = false;
    bool bodyBegun_ = false;
};
