#pragma once

#include <QString>
#include <filesystem>
#include <functional>

class BookmarkModel;
class QWidget;

// Save for a browser: the tree as the HTML bookmarks file every browser
// imports, dead links left out when the person says so.
class BrowserSaver
{
public:
    struct Choice
    {
        std::filesystem::path file; // empty when the person cancels
        bool leaveOutDead = false;
    };
    // Asks where the file goes and whether dead links stay out, offering
    // leaveOutDead as the check box's state.
    using FileChooser = std::function<Choice(QWidget* parent, bool leaveOutDead)>;

    // notice says in the status bar what was saved; boxes open over window.
    BrowserSaver(const BookmarkModel& tree, std::function<void(const QString&)> notice,
                 QWidget* window);

    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // The check box is on when the tree shows any dead link.
    void save();

private:
    const BookmarkModel& tree_;
    std::function<void(const QString&)> notice_;
    QWidget* window_;
    FileChooser chooser_;
};
