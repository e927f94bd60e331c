#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class LinkLabel;

// The About dialog: product name, version, the maker's web site and support
// mailbox as links, and the copyright line. Built afresh for every showing.
class TfrAbout final : public QDialog
{
    Q_OBJECT

public:
    // executablePath is the file whose version block gives the version; the
    // running program by default.
    explicit TfrAbout(QWidget* parent = nullptr, const QString& executablePath = QString());

    // What "About..." does: a fresh dialog, shown modally, destroyed after.
    static void showAbout(QWidget* parent);

private:
    void setupControls();
    void FormCreate(const QString& executablePath);
    void TntLabel1Click();
    void TntLabel2Click();

    QFrame* TabControl1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbVersion = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* lbWebPage = nullptr;
    LinkLabel* TntLabel1 = nullptr;
    QLabel* lbSupport = nullptr;
    LinkLabel* TntLabel2 = nullptr;
    QLabel* lbCopyright = nullptr;
};
