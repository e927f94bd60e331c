#include "TfrOptions.h"

#include "FixedDialog.h"
#include "KnownFolders.h"
#include "MessageBoxes.h"
#include "PortCharFilter.h"
#include "PortValidator.h"
#include "ScheduleControls.h"
#include "SystemBeep.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>

namespace {

// The rows under the proxy group: their height and where the first starts.
const int ExtraRowHeight = 26;
const int LinksAtOnceRowTop = 134;
const int StrictRowTop = LinksAtOnceRowTop + ExtraRowHeight;
const int TrashRowTop = StrictRowTop + ExtraRowHeight;
const int ArchiveRowTop = TrashRowTop + ExtraRowHeight;
const int ScheduleRowTop = ArchiveRowTop + ExtraRowHeight;
const int ExtraRows = 5;
const int DialogWidth = 297;

// What went wrong with the file, in the words of the error box.
QString saveFailureText(const std::filesystem::path& path, const Settings::SaveResult& result)
{
    const QString shown = QFile::decodeName(path.c_str());
    if (result.unreadable)
        return TfrOptions::tr("Unable to read %1. It was left unchanged.").arg(shown);
    return TfrOptions::tr("Unable to write to %1.").arg(shown);
}

void setEditState(QLineEdit& edit, bool enabled)
{
    edit.setEnabled(enabled);
    // Every colour group gets the colour, so a disabled edit really shows it.
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, QColor(enabled ? EnabledEditColor : DisabledEditColor));
    edit.setPalette(palette);
}

bool isEnterKey(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

} // namespace

TfrOptions::TfrOptions(QWidget* parent) : QDialog(parent)
{
    setupControls();
    FormCreate();
}

void TfrOptions::setupControls()
{
    setObjectName(QStringLiteral("frOptions"));
    SetUpFixedDialog(*this, tr("Options"), QSize(DialogWidth, 139 + ExtraRows * ExtraRowHeight));

    // Geometry of each control relative to its parent: x, y, width, height.
    grbProxy = new QGroupBox(tr("Proxy"), this);
    grbProxy->setObjectName(QStringLiteral("grbProxy"));
    grbProxy->setGeometry(8, 8, 281, 121);

    chbUseProxy = new QCheckBox(tr("Use proxy"), grbProxy);
    chbUseProxy->setObjectName(QStringLiteral("chbUseProxy"));
    chbUseProxy->setGeometry(16, 24, 97, 17);
    chbUseProxy->setCursor(Qt::PointingHandCursor);

    lbAdressProxy = new QLabel(tr("Adress:"), grbProxy);
    lbAdressProxy->setObjectName(QStringLiteral("lbAdressProxy"));
    lbAdressProxy->setGeometry(16, 56, 37, 13);

    edAdressProxy = new QLineEdit(grbProxy);
    edAdressProxy->setObjectName(QStringLiteral("edAdressProxy"));
    edAdressProxy->setGeometry(16, 72, 185, 21);

    lbPort = new QLabel(tr("Port:"), grbProxy);
    lbPort->setObjectName(QStringLiteral("lbPort"));
    lbPort->setGeometry(208, 56, 24, 13);

    edPort = new QLineEdit(settings_.proxy.port, grbProxy);
    edPort->setObjectName(QStringLiteral("edPort"));
    edPort->setGeometry(208, 72, 57, 21);
    // Typed text must arrive as key events, where the port filter sees it.
    edPort->setAttribute(Qt::WA_InputMethodEnabled, false);
    edPort->setValidator(new PortValidator(edPort));

    setupLinksAtOnceRow();
    setupStrictRow();
    setupTrashRow();
    setupArchiveRow();
    // The rows are laid out: the dialog's size is the one a schedule note
    // grows from.
    schedule_ = new ScheduleControls(*this, ScheduleRowTop, size(), settings_);

    lbAdressProxy->setBuddy(edAdressProxy);
    lbPort->setBuddy(edPort);
    setTabOrder(chbUseProxy, edAdressProxy);
    setTabOrder(edAdressProxy, edPort);
    setTabOrder(edPort, seLinksAtOnce);
    setTabOrder(seLinksAtOnce, chbStrictVerdicts);
    setTabOrder(chbStrictVerdicts, chbUseTrash);
    setTabOrder(chbUseTrash, chbArchiveLookup);
    setTabOrder(chbArchiveLookup, schedule_->box());

    edAdressProxy->installEventFilter(this);
    edPort->installEventFilter(this);
    connect(chbUseProxy, &QCheckBox::toggled, this, &TfrOptions::chbUseProxyClick);
    connect(chbUseProxy, &QCheckBox::toggled, this, &TfrOptions::proxySettingsChanged);
    connect(edAdressProxy, &QLineEdit::textChanged, this, &TfrOptions::proxySettingsChanged);
    connect(edPort, &QLineEdit::textChanged, this, &TfrOptions::proxySettingsChanged);

    // The layout state: unchecked, both edits disabled.
    chbUseProxyClick();
}

void TfrOptions::setupLinksAtOnceRow()
{
    lbLinksAtOnce = new QLabel(tr("Links checked at once:"), this);
    lbLinksAtOnce->setObjectName(QStringLiteral("lbLinksAtOnce"));
    lbLinksAtOnce->setGeometry(16, LinksAtOnceRowTop + 4, 121, 13);

    seLinksAtOnce = new QSpinBox(this);
    seLinksAtOnce->setObjectName(QStringLiteral("seLinksAtOnce"));
    seLinksAtOnce->setGeometry(216, LinksAtOnceRowTop, 57, 21);
    seLinksAtOnce->setRange(Settings::MinLinksAtOnce, Settings::MaxLinksAtOnce);
    seLinksAtOnce->setValue(settings_.linksAtOnce);
    lbLinksAtOnce->setBuddy(seLinksAtOnce);
}

void TfrOptions::setupStrictRow()
{
    chbStrictVerdicts = new QCheckBox(tr("Judge links strictly (alive only on 200 or 302)"), this);
    chbStrictVerdicts->setObjectName(QStringLiteral("chbStrictVerdicts"));
    // Out to the dialog's margin: the text is long for the proxy group's width.
    chbStrictVerdicts->setGeometry(16, StrictRowTop + 2, 273, 17);
    chbStrictVerdicts->setCursor(Qt::PointingHandCursor);
    chbStrictVerdicts->setAccessibleName(chbStrictVerdicts->text());
}

void TfrOptions::setupTrashRow()
{
    chbUseTrash = new QCheckBox(tr("Move deleted entries to the Trash"), this);
    chbUseTrash->setObjectName(QStringLiteral("chbUseTrash"));
    chbUseTrash->setGeometry(16, TrashRowTop + 2, 273, 17);
    chbUseTrash->setCursor(Qt::PointingHandCursor);
    chbUseTrash->setAccessibleName(chbUseTrash->text());
}

void TfrOptions::setupArchiveRow()
{
    chbArchiveLookup = new QCheckBox(
        tr("Look for archived copies of dead links (asks the Internet Archive)"), this);
    chbArchiveLookup->setObjectName(QStringLiteral("chbArchiveLookup"));
    chbArchiveLookup->setCursor(Qt::PointingHandCursor);
    chbArchiveLookup->setAccessibleName(chbArchiveLookup->text());
    // The text is longer than the other rows: the dialog grows to show it whole.
    const int width = std::max(273, chbArchiveLookup->sizeHint().width());
    chbArchiveLookup->setGeometry(16, ArchiveRowTop + 2, width, 17);
    if (16 + width + 8 > DialogWidth)
        setFixedWidth(16 + width + 8);
}

void TfrOptions::FormCreate()
{
    // A missing or unreadable file leaves the defaults; nothing is reported.
    settings_.load(ConfigFilePath());
    const ProxySettings& proxy = settings_.proxy;
    edAdressProxy->setText(proxy.address);
    edPort->setText(proxy.port);
    chbUseProxy->setChecked(proxy.useProxy);
    seLinksAtOnce->setValue(settings_.linksAtOnce);
    chbStrictVerdicts->setChecked(settings_.strictVerdicts);
    chbUseTrash->setChecked(settings_.useTrash);
    chbArchiveLookup->setChecked(settings_.archiveLookup);
    schedule_->showSettings();
}

void TfrOptions::setCheckedFolder(std::function<std::filesystem::path()> folder)
{
    schedule_->setFolderSource(std::move(folder));
}

void TfrOptions::FormClose()
{
    settings_.proxy = proxySettings();
    settings_.linksAtOnce = linksAtOnce();
    settings_.strictVerdicts = strictVerdicts();
    settings_.useTrash = useTrash();
    settings_.archiveLookup = archiveLookup();
    for (;;) {
        // The path is worked out afresh on every attempt, never cached.
        const std::filesystem::path path = ConfigFilePath();
        const Settings::SaveResult result = settings_.saveOptions(path);
        if (result.saved)
            return;
        // Cancel leaves without saving: the controls still hold the values,
        // so the probes use them until the program ends.
        const auto answer =
            ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("Orvanta"),
                           saveFailureText(path, result), QMessageBox::Retry | QMessageBox::Cancel);
        if (answer != QMessageBox::Retry)
            return;
    }
}

void TfrOptions::chbUseProxyClick()
{
    const bool enabled = chbUseProxy->isChecked();
    setEditState(*edAdressProxy, enabled);
    setEditState(*edPort, enabled);
}

ProxySettings TfrOptions::proxySettings() const
{
    return ProxySettings{chbUseProxy->isChecked(), edAdressProxy->text(), edPort->text()};
}

int TfrOptions::linksAtOnce() const
{
    return seLinksAtOnce->value();
}

bool TfrOptions::strictVerdicts() const
{
    return chbStrictVerdicts->isChecked();
}

bool TfrOptions::useTrash() const
{
    return chbUseTrash->isChecked();
}

bool TfrOptions::archiveLookup() const
{
    return chbArchiveLookup->isChecked();
}

void TfrOptions::showModal()
{
    // Qt centres a dialog over its parent window on every showing.
    exec();
}

void TfrOptions::done(int result)
{
    // Every way out of the dialog (close box, Alt+F4, reject, accept) ends
    // here; a failed save asks whether to try again or leave without it.
    if (isVisible())
        FormClose();
    schedule_->hideNote();
    QDialog::done(result);
}

void TfrOptions::keyPressEvent(QKeyEvent* event)
{
    // There is no OK button: Enter does not close the dialog.
    if (isEnterKey(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == edPort || watched == edAdressProxy)) {
        auto& keyEvent = static_cast<QKeyEvent&>(*event);
        if (editKeyDown(keyEvent))
            return true;
        if (watched == edPort && edPortKeyPress(keyEvent))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrOptions::editKeyDown(const QKeyEvent& event)
{
    // Enter in either edit does nothing at all: no beep, no default button.
    return isEnterKey(event);
}

bool TfrOptions::edPortKeyPress(QKeyEvent& event)
{
    const std::optional<QChar> typed = TypedCharacter(event);
    if (!typed)
        return false;

    const bool selected = edPort->hasSelectedText();
    const PortField field{edPort->text(),
                          selected ? edPort->selectionStart() : edPort->cursorPosition(),
                          selected ? edPort->selectionLength() : 0};
    const QChar accepted = FilterPortCharacter(*typed, field, LocaleDecimalSeparator());
    if (accepted.isNull()) {
        SystemBeep();
        return true;
    }
    if (accepted != *typed) {
        // "," or "." became the locale's separator: type that instead.
        edPort->insert(QString(accepted));
        return true;
    }
    return false;
}
