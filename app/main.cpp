#include "AppFonts.h"
#include "TForm1.h"
#include "TfrOptions.h"

#include <QApplication>
#include <curl/curl.h>

int main(int argc, char** argv)
{
    // Once for the whole program, before any thread can make a curl handle.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int result = 0;
    {
        QApplication app(argc, argv);
        // Message boxes carry this as their caption.
        QApplication::setApplicationName(QStringLiteral("Orvanta"));
        RegisterApplicationFonts();

        TForm1 Form1;
        // Second, so the data folder it reads from already exists.
        Form1.setOptionsDialog(new TfrOptions(&Form1));
        Form1.show();
        result = app.exec();
    }
    curl_global_cleanup();
    return result;
}
