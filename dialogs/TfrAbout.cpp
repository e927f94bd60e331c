#include "TfrAbout.h"

#include "Artwork.h"
#include "FixedDialog.h"
#include "LinkLabel.h"
#include "PngImage.h"
#include "VersionBlock.h"
#include "WebActions.h"

#include <QCoreApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>

namespace {

QImage decodeImage(const QByteArray& png)
{
    PngPixels pixels;
    if (!DecodePng(png, pixels) || pixels.width <= 0 || pixels.height <= 0)
        return {};
    const QImage view(pixels.rgba.data(), pixels.width, pixels.height, pixels.width * 4,
                      QImage::Format_RGBA8888);
    return view.copy(); // the pixel buffer goes away with this function
}

QLabel* placeLabel(QLabel* label, const char* name, int x, int y, const QFont& font)
{
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TfrAbout::TfrAbout(QWidget* parent, const QString& executablePath) : QDialog(parent)
{
    setupControls();
    FormCreate(executablePath.isEmpty() ? QCoreApplication::applicationFilePath() : executablePath);
}

void TfrAbout::setupControls()
{
    setObjectName(QStringLiteral("frAbout"));
    SetUpFixedDialog(*this, tr("About"), QSize(256, 194));

    // The body of a tab control without tabs serves as the frame; every
    // other control lies in it, placed relative to it: x, y, width, height.
    TabControl1 = new QFrame(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    TabControl1->setGeometry(8, 8, 241, 177);

    const QFont regular = DialogFont();
    const QFont bold = DialogFont(11, true);

    Image1 = new QLabel(TabControl1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(decodeImage(AboutStarPng())));
    Image1->setGeometry(8, 12, 48, 48);

    Label1 = placeLabel(new QLabel(QStringLiteral("Orvanta"), TabControl1), "Label1", 66, 24,
                        DialogFont(12, true));
    lbVersion = placeLabel(new QLabel(tr("Version:"), TabControl1), "lbVersion", 66, 40, regular);

    Bevel1 = new QFrame(TabControl1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(16, 70, 210, 2);

    lbWebPage = placeLabel(new QLabel(tr("Web page:"), TabControl1), "lbWebPage", 24, 88, bold);
    TntLabel1 = new LinkLabel(QLatin1String(HomePageAddress), TabControl1);
    placeLabel(TntLabel1, "TntLabel1", 88, 88, regular);

    lbSupport = placeLabel(new QLabel(tr("Support:"), TabControl1), "lbSupport", 24, 104, bold);
    TntLabel2 = new LinkLabel(QLatin1String(SupportMailAddress), TabControl1);
    placeLabel(TntLabel2, "TntLabel2", 80, 104, regular);

    lbCopyright = new QLabel(QStringLiteral(ORVANTA_COPYRIGHT), TabControl1);
    lbCopyright->setObjectName(QStringLiteral("lbCopyright"));
    lbCopyright->setGeometry(16, 152, 204, 13);

    connect(TntLabel1, &LinkLabel::clicked, this, &TfrAbout::TntLabel1Click);
    connect(TntLabel2, &LinkLabel::clicked, this, &TfrAbout::TntLabel2Click);
}

void TfrAbout::FormCreate(const QString& executablePath)
{
    lbVersion->setText(lbVersion->text() + u' ' + ReadProductVersion(executablePath));
    lbVersion->adjustSize();
}

void TfrAbout::TntLabel1Click()
{
    OpenHomePage(this);
}

void TfrAbout::TntLabel2Click()
{
    OpenSupportMail(this);
}

void TfrAbout::showAbout(QWidget* parent)
{
    // Nothing survives between showings; the version is read anew each time.
    QPointer<TfrAbout> dialog = new TfrAbout(parent);
    dialog->exec();
    delete dialog.data();
}
