#include "AppFonts.h"
#include "CheckRun.h"
#include "ChosenFolder.h"
#include "CommandLine.h"
#include "ProcessFiles.h"
#include "ProcessSignals.h"
#include "StandardOutput.h"
#include "TForm1.h"
#include "TfrOptions.h"
#include "VersionBlock.h"

#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>

namespace {

// With ORVANTA_EXIT_AFTER_FIRST_PAINT set, the program ends as soon as its
// window has been painted once, so that start-up can be timed from outside.
// It ends without tearing down: what is timed is the way to the first paint.
class ExitAfterFirstPaint final : public QObject
{
public:
    explicit ExitAfterFirstPaint(QWidget* window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!done_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            done_ = true;
            // Queued, so the rest of this paint pass is finished first.
            QMetaObject::invokeMethod(
                this, [] { std::_Exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget* window_;
    bool done_ = false;
};

int runWindow(const CommandLine& line, int& argc, char** argv)
{
    QApplication app(argc, argv);
    // Message boxes carry this as their caption.
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    RegisterApplicationFonts();

    TForm1 Form1(FindStartFolder(line.folder));
    // Second, so the data folder it reads from already exists.
    Form1.setOptionsDialog(new TfrOptions(&Form1));
    ExitAfterFirstPaint exitAfterFirstPaint(&Form1);
    if (qEnvironmentVariableIsSet("ORVANTA_EXIT_AFTER_FIRST_PAINT"))
        app.installEventFilter(&exitAfterFirstPaint);
    Form1.show();
    if (line.show)
        Form1.showFindBar(*line.show);
    return app.exec();
}

int printOut(const QByteArray& bytes)
{
    const int error = WriteStandardOutput(bytes);
    return error == 0 ? 0 : ReportWriteFailure(error);
}

int printVersion(int& argc, char** argv)
{
    // Only for the executable's own path; it needs no display.
    const QCoreApplication app(argc, argv);
    return printOut((QStringLiteral("Orvanta ") +
                     ReadProductVersion(QCoreApplication::applicationFilePath()) + u'\n')
                        .toUtf8());
}

int printError(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything opens a file that could take a closed one's number.
    OccupyClosedStandardStreams();
    const CommandLine line = ParseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        return printOut(UsageText().toLocal8Bit());
    case CommandLine::Action::Version:
        return printVersion(argc, argv);
    case CommandLine::Action::UsageError:
        return printError(QStringLiteral("orvanta: ") + line.error + u'\n');
    case CommandLine::Action::Export:
        return RunExport(line, argc, argv);
    case CommandLine::Action::Check:
    case CommandLine::Action::Window:
        break;
    }
    // Before any thread starts, so every thread inherits them.
    SetUpProcessSignals();
    RaiseOpenFilesLimit();
    // Once for the whole program, before any thread can make a curl handle.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const int result = line.action == CommandLine::Action::Check ? RunCheck(line, argc, argv)
                                                                 : runWindow(line, argc, argv);
    curl_global_cleanup();
    return result;
}
