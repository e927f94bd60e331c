#include "CommandLine.h"

#include "LinkPassword.h"
#include "Settings.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>
#include <iterator>

namespace {

// The arguments reach the parser as Latin-1, one character per byte, so a
// folder name that is no valid text in the locale keeps its exact bytes.
QString argumentText(const char* argument)
{
    return QString::fromLatin1(argument);
}

std::string argumentBytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

// Turns a parsed argument back into text fit for a message.
QString readable(const QString& text)
{
    return QString::fromLocal8Bit(text.toLatin1());
}

bool isNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch();
}

std::optional<ProxySettings> proxyNamed(const QString& text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    const QString port = text.mid(colon + 1);
    if (!isNumber(port) || port.toInt() < 1 || port.toInt() > 65535)
        return std::nullopt;
    return ProxySettings{true, readable(text.left(colon)), QString::number(port.toInt())};
}

std::optional<int> jobsNamed(const QString& text)
{
    if (!isNumber(text) || text.toInt() < Settings::MinLinksAtOnce ||
        text.toInt() > Settings::MaxLinksAtOnce)
        return std::nullopt;
    return text.toInt();
}

// The unknown options as they were typed ("--bogus", "-x"), in their
// order: the parser's own message drops the dashes, which leaves the person
// to guess which word it means.
QStringList typedUnknownOptions(const QStringList& arguments, const QStringList& unknown)
{
    QStringList typed;
    const auto note = [&](const QString& name, const QString& dashes) {
        if (unknown.contains(name) && !typed.contains(dashes + name))
            typed << dashes + name;
    };
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument.startsWith(QLatin1String("--"))) {
            note(argument.mid(2).section(u'=', 0, 0), QStringLiteral("--"));
        } else if (argument.startsWith(u'-')) {
            // Single letters may come together, as in "-xh".
            for (const QChar letter : QStringView(argument).mid(1))
                note(letter, QStringLiteral("-"));
        }
    }
    return typed;
}

QString parseError(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList typed = typedUnknownOptions(arguments, parser.unknownOptionNames());
    if (typed.isEmpty())
        return readable(parser.errorText());
    const QString names = readable(typed.join(QStringLiteral("', '")));
    return typed.size() == 1 ? QStringLiteral("Unknown option '%1'.").arg(names)
                             : QStringLiteral("Unknown options '%1'.").arg(names);
}

// The names --show takes, in the order of the find bar's "Show:" list.
std::optional<FindChoice> findChoiceNamed(const QString& name)
{
    static const char* const names[] = {"all",   "dead",       "unsure",
                                        "moved", "duplicates", "unchecked"};
    for (int i = 0; i < int(std::size(names)); ++i) {
        if (name == QLatin1String(names[i]))
            return FindChoice(i);
    }
    return std::nullopt;
}

CommandLine usageError(const QString& error)
{
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = error;
    return line;
}

// The check's own options, read into line; the error when one is wrong.
QString readCheckOptions(const QCommandLineParser& parser, CommandLine& line)
{
    if (parser.isSet(QStringLiteral("format"))) {
        const QString name = parser.value(QStringLiteral("format"));
        const auto format = ReportFormatNamed(name);
        if (!format)
            return QStringLiteral("--format must be text, csv or json, not '%1'")
                .arg(readable(name));
        line.format = *format;
    }
    if (parser.isSet(QStringLiteral("proxy"))) {
        const QString value = parser.value(QStringLiteral("proxy"));
        line.proxy = proxyNamed(value);
        if (!line.proxy)
            return QStringLiteral(
                       "--proxy needs ADDRESS:PORT with a port from 1 to 65535, not '%1'")
                .arg(MaskPassword(readable(value), AddressForm::Proxy));
    }
    if (parser.isSet(QStringLiteral("jobs"))) {
        const QString value = parser.value(QStringLiteral("jobs"));
        line.jobs = jobsNamed(value);
        if (!line.jobs)
            return QStringLiteral("--jobs needs a whole number from %1 to %2, not '%3'")
                .arg(Settings::MinLinksAtOnce)
                .arg(Settings::MaxLinksAtOnce)
                .arg(readable(value));
    }
    return {};
}

// Only a check knows which links are dead, so only with it can they be left out.
QString readExportOptions(const QCommandLineParser& parser, CommandLine& line)
{
    if (parser.isSet(QStringLiteral("export-html"))) {
        const QString file = parser.value(QStringLiteral("export-html"));
        if (file.isEmpty())
            return QStringLiteral("--export-html needs a FILE name");
        line.exportFile = argumentBytes(file);
    }
    line.leaveOutDead = parser.isSet(QStringLiteral("leave-out-dead"));
    if (line.leaveOutDead && (line.exportFile.empty() || !parser.isSet(QStringLiteral("check"))))
        return QStringLiteral("--leave-out-dead is for --check with --export-html");
    return {};
}

} // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << argumentText(argv[i]);

    QCommandLineParser parser;
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, {}},
        {QStringLiteral("version"), {}},
        {QStringLiteral("check"), {}},
        {QStringLiteral("format"), {}, QStringLiteral("FORMAT")},
        {QStringLiteral("proxy"), {}, QStringLiteral("ADDRESS:PORT")},
        {QStringLiteral("jobs"), {}, QStringLiteral("N")},
        {QStringLiteral("strict"), {}},
        {QStringLiteral("export-html"), {}, QStringLiteral("FILE")},
        {QStringLiteral("leave-out-dead"), {}},
        {QStringLiteral("notify"), {}},
        {QStringLiteral("show"), {}, QStringLiteral("CHOICE")},
        {QStringLiteral("archive"), {}},
    });
    if (!parser.parse(arguments))
        return usageError(parseError(parser, arguments));
    if (parser.isSet(QStringLiteral("help"))) {
        CommandLine line;
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        CommandLine line;
        line.action = CommandLine::Action::Version;
        return line;
    }

    CommandLine line;
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return usageError(QStringLiteral("only one FOLDER may be named"));
    // An empty name is a mistake (an unset variable, say), not a wish for
    // the folder found when none is named.
    if (!folders.isEmpty() && folders.first().isEmpty())
        return usageError(QStringLiteral("FOLDER must not be empty"));
    if (!folders.isEmpty())
        line.folder = argumentBytes(folders.first());
    if (const QString error = readExportOptions(parser, line); !error.isEmpty())
        return usageError(error);
    if (parser.isSet(QStringLiteral("check"))) {
        line.action = CommandLine::Action::Check;
        line.strict = parser.isSet(QStringLiteral("strict"));
        line.notify = parser.isSet(QStringLiteral("notify"));
        line.archive = parser.isSet(QStringLiteral("archive"));
        if (parser.isSet(QStringLiteral("show")))
            return usageError(QStringLiteral("--show is for the window, not --check"));
        const QString error = readCheckOptions(parser, line);
        return error.isEmpty() ? line : usageError(error);
    }
    for (const char* option : {"format", "proxy", "jobs", "strict", "notify", "archive"}) {
        if (parser.isSet(QLatin1String(option)))
            return usageError(
                QStringLiteral("--%1 is for --check only").arg(QLatin1String(option)));
    }
    if (!line.exportFile.empty())
        line.action = CommandLine::Action::Export;
    if (parser.isSet(QStringLiteral("show"))) {
        const QString name = parser.value(QStringLiteral("show"));
        line.show = findChoiceNamed(name);
        if (!line.show)
            return usageError(QStringLiteral("--show must be all, dead, unsure, moved, duplicates "
                                             "or unchecked, not '%1'")
                                  .arg(readable(name)));
    }
    return line;
}

QString UsageText()
{
    return QStringLiteral(
               "Usage: orvanta [--show CHOICE] [FOLDER]\n"
               "       orvanta --check [FOLDER] [--format text|csv|json] [--proxy ADDRESS:PORT]\n"
               "                       [--jobs N] [--strict] [--notify] [--archive]\n"
               "                       [--export-html FILE [--leave-out-dead]]\n"
               "       orvanta --export-html FILE [FOLDER]\n"
               "       orvanta --help | --version\n"
               "\n"
               "Without --check, opens the window on FOLDER (else ~/Favorites, else the\n"
               "Favorites folder of a Wine prefix).\n"
               "\n"
               "  --show CHOICE          open the window with the find bar showing only\n"
               "                         these links: all, dead, unsure, moved,\n"
               "                         duplicates or unchecked\n"
               "  --check                check every link without a window and print one\n"
               "                         line per link once its verdict is final, then, in\n"
               "                         text, a summary on standard error; nothing is\n"
               "                         deleted\n"
               "  --format text|csv|json how --check writes its lines (default: text)\n"
               "  --proxy ADDRESS:PORT   check through this HTTP proxy instead of the\n"
               "                         one of Config.ini\n"
               "  --jobs N               check up to N links at once (%1 to %2)\n"
               "  --strict               judge by the old rule: alive only on a final 200\n"
               "                         or 302, dead otherwise, every link asked for once\n"
               "  --export-html FILE     write the folder's bookmarks to FILE as the HTML\n"
               "                         file every browser imports; with --check, once\n"
               "                         the check is done (not after a signal)\n"
               "  --leave-out-dead       with --check and --export-html: leave the links\n"
               "                         found dead out of FILE\n"
               "  --notify               after the check, a desktop notification names the\n"
               "                         links found dead or not sure since the last check\n"
               "                         (every such link on the first); its Show button\n"
               "                         opens the window on the dead links\n"
               "  --archive              look each dead link up in the Internet Archive\n"
               "                         (this sends it there) and print its line with\n"
               "                         the copy found, once the lookup is done\n"
               "  -h, --help             print this text and exit\n"
               "  --version              print the version and exit\n"
               "\n"
               "Verdicts: alive (the page is there), dead (the page is gone), unsure (a\n"
               "server may be there but did not say: a login, a refusal of robots, a\n"
               "server in trouble, no network), unchecked (not a web link, such as\n"
               "mailto:). A first answer that may pass is asked again once, a few seconds\n"
               "later; the JSON field \"attempts\" says how many requests a link took.\n"
               "\n"
               "The verdicts are kept in $XDG_STATE_HOME/Orvanta (~/.local/state/Orvanta),\n"
               "shared with the window; JSON lines add \"deadRuns\" (runs in a row that found\n"
               "the link dead) and \"lastAlive\" from them. Delete the folder's file there to\n"
               "forget them.\n"
               "\n"
               "Text lines show control characters as escapes such as \\x1b; in every\n"
               "format a path's bytes that are not UTF-8 show as \\xff and a backslash as\n"
               "\\\\. A CSV field that begins with =, +, -, @, a tab or CR gets a ' in front,\n"
               "so that a spreadsheet does not run it as a formula.\n"
               "\n"
               "Exit status of --check: 0 no link is dead (unsure and unchecked ones\n"
               "included), 1 some are, 2 wrong command line or unreadable folder, 3\n"
               "standard output could not be written (the check stops there), 130, 143\n"
               "or 129 after SIGINT, SIGTERM or SIGHUP (the verdicts so far are kept), 4\n"
               "the file of --export-html could not be written. --export-html alone exits\n"
               "with 0, 2 or 4.\n")
        .arg(Settings::MinLinksAtOnce)
        .arg(Settings::MaxLinksAtOnce);
}
