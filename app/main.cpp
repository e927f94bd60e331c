#include "AppFonts.h"
#include "FavoritesLocation.h"
#include "ProcessSignals.h"
#include "TForm1.h"
#include "TfrOptions.h"

#include <QApplication>
#include <QEvent>
#include <cstdlib>
#include <curl/curl.h>
#include <string>

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

// The folder named on the command line (orvanta [FOLDER]), as its bytes;
// empty when none is named.
std::string commandLineFolder(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return {};
    return argv[1];
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread starts, so every thread inherits it.
    SetUpProcessSignals();
    // Once for the whole program, before any thread can make a curl handle.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int result = 0;
    {
        QApplication app(argc, argv);
        // Message boxes carry this as their caption.
        QApplication::setApplicationName(QStringLiteral("Orvanta"));
        RegisterApplicationFonts();

        TForm1 Form1(FindFavoritesFolder(commandLineFolder(argc, argv)));
        // Second, so the data folder it reads from already exists.
        Form1.setOptionsDialog(new TfrOptions(&Form1));
        ExitAfterFirstPaint exitAfterFirstPaint(&Form1);
        if (qEnvironmentVariableIsSet("ORVANTA_EXIT_AFTER_FIRST_PAINT"))
            app.installEventFilter(&exitAfterFirstPaint);
        Form1.show();
        result = app.exec();
    }
    curl_global_cleanup();
    return result;
}
