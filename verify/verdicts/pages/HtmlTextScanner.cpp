#include "HtmlTextScanner.h"

#include "HtmlEntity.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// A title longer than this is not a "not found" notice; what is kept of it
// is enough to tell.
constexpr qsizetype TitleLimit = 1024;
// A script that only sends the browser on is a line; a longer one does more.
constexpr qsizetype ScriptLimit = 1024;
// What a page says of itself in its headings is said within this much of
// their text.
constexpr qsizetype HeadingsLimit = 1024;
// Tag names that matter here are short; the rest need no spelling.
constexpr qsizetype TagNameLimit = 16;
constexpr qsizetype ReferenceLimit = 32;
bool asciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool tagBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Tags that sit inside a word ("do<b>main</b>"); every other tag parts the
// words on either side of it.
bool inlineTag(QStringView name)
{
    static constexpr std::array<const char16_t*, 22> names{
        u"a",     u"abbr", u"b",      u"bdi", u"bdo", u"cite", u"code", u"data",
        u"dfn",   u"em",   u"font",   u"i",   u"kbd", u"mark", u"q",    u"s",
        u"small", u"span", u"strong", u"sub", u"sup", u"u"};
    for (const char16_t* inlineName : names) {
        if (name == QStringView(inlineName))
            return true;
    }
    return false;
}

bool headingTag(QStringView name)
{
    return name == u"h1" || name == u"h2" || name == u"h3";
}

} // namespace

void HtmlTextScanner::scan(QStringView html, QString& visible)
{
    visible_ = &visible;
    for (const QChar c : html) {
        if (atTextLimit())
            break;
        step(c);
    }
    visible_ = nullptr;
}

void HtmlTextScanner::step(QChar c)
{
    switch (state_) {
    case State::Data:
        return data(c);
    case State::TagOpen:
        return tagOpen(c);
    case State::EndTagOpen:
        return endTagOpen(c);
    case State::TagName:
        return tagName(c);
    case State::Attributes:
        return attributes(c);
    case State::QuotedValue:
        if (c == QChar(quote_)) {
            attributes_.endAttribute();
            state_ = State::Attributes;
            afterEquals_ = false;
        } else {
            attributes_.addToValue(c);
        }
        return;
    case State::MarkupOpen:
        return markupOpen(c);
    case State::Comment:
        return comment(c);
    case State::Bogus:
        if (c == u'>')
            state_ = State::Data;
        return;
    case State::RawText:
        return rawText(c);
    case State::Reference:
        return reference(c);
    }
}

void HtmlTextScanner::data(QChar c)
{
    if (c == u'<')
        state_ = State::TagOpen;
    else if (c == u'&')
        startReference(State::Data);
    else
        emitText(QStringView(&c, 1));
}

void HtmlTextScanner::tagOpen(QChar c)
{
    if (c == u'!') {
        state_ = State::MarkupOpen;
        dashes_ = 0;
    } else if (c == u'/') {
        state_ = State::EndTagOpen;
    } else if (c == u'?') {
        state_ = State::Bogus;
    } else if (asciiLetter(c)) {
        startTag(c, false);
    } else {
        // "a < b" is text, as in a browser.
        state_ = State::Data;
        emitText(u"<");
        step(c);
    }
}

void HtmlTextScanner::endTagOpen(QChar c)
{
    if (asciiLetter(c))
        startTag(c, true);
    else
        state_ = c == u'>' ? State::Data : State::Bogus;
}

void HtmlTextScanner::startTag(QChar c, bool endTag)
{
    tagName_.clear();
    endTag_ = endTag;
    attributes_.begin(false);
    state_ = State::TagName;
    tagName(c);
}

void HtmlTextScanner::beginAttributes()
{
    attributes_.begin(!endTag_ && (tagName_ == u"meta" || tagName_ == u"script"));
    state_ = State::Attributes;
    afterEquals_ = false;
    inValue_ = false;
    nameDone_ = false;
}

void HtmlTextScanner::tagName(QChar c)
{
    if (tagBlank(c) || c == u'/') {
        beginAttributes();
    } else if (c == u'>') {
        endOfTag();
    } else if (tagName_.size() < TagNameLimit) {
        tagName_ += c.toLower();
    }
}

void HtmlTextScanner::attributes(QChar c)
{
    if (c == u'>') {
        attributes_.endAttribute();
        return endOfTag();
    }
    if (inValue_) {
        if (tagBlank(c)) {
            attributes_.endAttribute();
            inValue_ = false;
        } else {
            attributes_.addToValue(c);
        }
    } else if (afterEquals_) {
        if (tagBlank(c))
            return;
        afterEquals_ = false;
        // Only a value's quotes hide a ">"; a quote elsewhere is part of a name.
        if (c == u'"' || c == u'\'') {
            quote_ = c.unicode();
            state_ = State::QuotedValue;
        } else {
            inValue_ = true;
            attributes_.addToValue(c);
        }
    } else if (c == u'=') {
        afterEquals_ = true;
        nameDone_ = false;
    } else if (tagBlank(c) || c == u'/') {
        nameDone_ = attributes_.nameBegun();
    } else {
        // A name after a name with no value: the first had none.
        if (nameDone_)
            attributes_.endAttribute();
        nameDone_ = false;
        attributes_.addToName(c);
    }
}

void HtmlTextScanner::markupOpen(QChar c)
{
    if (c == u'-' && ++dashes_ == 2) {
        state_ = State::Comment;
        dashes_ = 0;
        commentLength_ = 0;
    } else if (c != u'-') {
        // "<!DOCTYPE ...>", "<![CDATA[...]]>" and the like say nothing.
        state_ = State::Bogus;
        step(c);
    }
}

void HtmlTextScanner::comment(QChar c)
{
    // "<!-->" and "<!--->" end at once, as browsers read them.
    const bool abrupt = commentLength_ == 0 || (commentLength_ == 1 && dashes_ == 1);
    if (c == u'>' && (dashes_ >= 2 || abrupt)) {
        state_ = State::Data;
        return;
    }
    dashes_ = c == u'-' ? dashes_ + 1 : 0;
    if (commentLength_ < 2)
        ++commentLength_;
}

void HtmlTextScanner::endOfTag()
{
    state_ = State::Data;
    if (tagName_ == u"noscript")
        inNoscript_ = !endTag_;
    if (headingTag(tagName_))
        heading(endTag_);
    if (!endTag_) {
        if (tagName_ == u"meta")
            noteMeta();
        if (tagName_ == u"script")
            noteScript();
        if (tagName_ == u"script" || tagName_ == u"style")
            return enterRawText(tagName_);
        if (tagName_ == u"title" && !titleSeen_) {
            // Only the first title names the page; one inside a picture does not.
            titleSeen_ = true;
            emitText(u" ");
            inTitle_ = true;
            return enterRawText(tagName_);
        }
        if (tagName_ == u"body")
            bodyBegun_ = true;
    }
    if (!inlineTag(tagName_))
        emitText(u" ");
}

void HtmlTextScanner::heading(bool ends)
{
    if (ends && inHeading_) {
        headingsText_ += heading_.text.size();
        majorHeadings_ += heading_.major ? 1 : 0;
        headings_.append(std::exchange(heading_, Heading()));
    }
    inHeading_ = !ends && (headingsText_ < HeadingsLimit || majorHeadings_ < MajorHeadings);
    heading_ = Heading{QString(), tagName_ != u"h3"};
}

void HtmlTextScanner::enterRawText(const QString& name)
{
    rawEnd_ = QStringLiteral("</") + name;
    rawMatched_ = 0;
    state_ = State::RawText;
}

void HtmlTextScanner::rawText(QChar c)
{
    if (c.toLower() == rawEnd_[rawMatched_]) {
        if (++rawMatched_ < rawEnd_.size())
            return;
        if (inTitle_) {
            inTitle_ = false;
            titleDone_ = true;
        }
        scriptWhole_ = scriptWhole_ || inScript_;
        inScript_ = false;
        tagName_ = rawEnd_.sliced(2);
        endTag_ = true;
        return beginAttributes();
    }
    if (rawMatched_ > 0) {
        // What looked like the end tag's start was text after all.
        if (inTitle_)
            emitText(QStringView(rawEnd_).first(rawMatched_));
        keepScript(QStringView(rawEnd_).first(rawMatched_));
        rawMatched_ = 0;
        return rawText(c);
    }
    keepScript(QStringView(&c, 1));
    if (!inTitle_)
        return;
    if (c == u'&')
        startReference(State::RawText);
    else
        emitText(QStringView(&c, 1));
}

std::optional<QString> HtmlTextScanner::onlyScript() const
{
    if (scripts_ != 1 || !scriptWhole_ || scriptCut_)
        return std::nullopt;
    return script_;
}

void HtmlTextScanner::noteMeta()
{
    if (refresh_ || inNoscript_)
        return;
    const std::optional<QString> equiv = attributes_.value(u"http-equiv");
    if (equiv && equiv->trimmed().compare(u"refresh", Qt::CaseInsensitive) == 0)
        refresh_ = attributes_.value(u"content");
}

void HtmlTextScanner::noteScript()
{
    // Only the first is kept: a page with more than one script is no
    // one-line move.
    inScript_ = ++scripts_ == 1 && !attributes_.value(u"src");
}

void HtmlTextScanner::keepScript(QStringView text)
{
    if (!inScript_)
        return;
    if (script_.size() + text.size() > ScriptLimit)
        scriptCut_ = true;
    else
        script_ += text;
}

void HtmlTextScanner::startReference(State back)
{
    reference_.clear();
    referenceReturn_ = back;
    state_ = State::Reference;
}

void HtmlTextScanner::reference(QChar c)
{
    const bool nameCharacter =
        (c.unicode() < 0x80 && c.isLetterOrNumber()) || (c == u'#' && reference_.isEmpty());
    if (nameCharacter && reference_.size() < ReferenceLimit) {
        reference_ += c;
        return;
    }
    state_ = referenceReturn_;
    if (const std::optional<QString> text = DecodeHtmlEntity(reference_)) {
        emitText(*text);
        if (c == u';')
            return;
    } else {
        emitText(u"&");
        emitText(reference_);
    }
    step(c);
}

void HtmlTextScanner::emitText(QStringView text)
{
    visible_->append(text);
    if (pastTitle())
        textPastTitle_ +=
            std::count_if(text.begin(), text.end(), [](QChar c) { return !c.isSpace(); });
    if (inTitle_ && title_.size() < TitleLimit)
        title_.append(text.first(std::min(text.size(), TitleLimit - title_.size())));
    if (inHeading_ && heading_.text.size() < TitleLimit)
        heading_.text.append(text.first(std::min(text.size(), TitleLimit - heading_.text.size())));
}
