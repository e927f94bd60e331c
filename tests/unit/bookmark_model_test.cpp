#include "BookmarkModel.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

BookmarkNode* add(BookmarkModel& model, BookmarkNode* parent, const QString& text, bool folder)
{
    BookmarkNode* node = model.addChild(parent);
    BookmarkEntry& e = node->entry;
    (folder ? e.Name : e.Title) = text;
    if (!folder)
        e.Link = "http://" + text;
    e.IsFolder = folder;
    e.ImageIndex = folder ? ImageFolder : ImageLink;
    e.Status = folder ? StatusFolder : StatusUnverified;
    return node;
}

QStringList walk(const BookmarkModel& model)
{
    QStringList texts;
    for (BookmarkNode* node = model.firstNode(); node; node = model.nextNode(node))
        texts << model.indexOf(node).data().toString();
    return texts;
}

// Root { Travel { Europe { Paris }, Maps }, Mail }, every folder collapsed
// as far as the model knows.
struct Sample
{
    explicit Sample(BookmarkModel& m)
        : root(add(m, nullptr, "Root", true)), travel(add(m, root, "Travel", true)),
          europe(add(m, travel, "Europe", true)), paris(add(m, europe, "Paris", false)),
          maps(add(m, travel, "Maps", false)), mail(add(m, root, "Mail", false))
    {
    }
    BookmarkNode *root, *travel, *europe, *paris, *maps, *mail;
};

class BookmarkModelTest : public ::testing::Test
{
protected:
    BookmarkModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    Sample s{model};
};

TEST_F(BookmarkModelTest, WalkIsPreOrderOverCollapsedFoldersAndCellsComeFromEntries)
{
    EXPECT_EQ(walk(model), QStringList({"Root", "Travel", "Europe", "Paris", "Maps", "Mail"}));
    EXPECT_EQ(BookmarkModel::entry(s.root->parent()), nullptr);
    EXPECT_EQ(model.nextNodeAfterSubtree(s.travel), s.mail);
    EXPECT_EQ(model.nextNodeAfterSubtree(s.mail), nullptr);
    EXPECT_TRUE(BookmarkModel::isInSubtree(s.paris, s.travel));
    EXPECT_FALSE(BookmarkModel::isInSubtree(s.mail, s.travel));

    const QModelIndex maps = model.indexOf(s.maps);
    EXPECT_EQ(maps.siblingAtColumn(ColumnLink).data().toString(), "http://Maps");
    EXPECT_FALSE(maps.siblingAtColumn(ColumnStatus).data().isValid());
    EXPECT_EQ(model.flags(maps), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    EXPECT_EQ(model.headerData(ColumnStatus, Qt::Horizontal, Qt::DisplayRole), "Status");
}

TEST_F(BookmarkModelTest, BracketTurnsRowChangesIntoOneLayoutChange)
{
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    add(model, s.travel, "Outside", false);
    model.deleteNode(s.mail);

    model.beginUpdate();
    model.beginUpdate();
    add(model, s.root, "A", false);
    model.deleteNode(s.europe);
    model.endUpdate();
    EXPECT_EQ(layout.count(), 0);
    model.endUpdate();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(layout.count(), 1);
    EXPECT_EQ(walk(model), QStringList({"Root", "Travel", "Maps", "Outside", "A"}));

    // A bracket that changes nothing costs the view nothing; a status is one row.
    model.beginUpdate();
    model.setStatus(s.maps, StatusAlive);
    model.endUpdate();
    EXPECT_EQ(layout.count(), 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.indexOf(s.maps, ColumnName));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.indexOf(s.maps, ColumnStatus));
}

TEST_F(BookmarkModelTest, RolesGiveTextPictureAndSpokenStatusForEachKindOfEntry)
{
    const auto cell = [&](BookmarkNode* node, int column, int role) {
        return model.indexOf(node, column).data(role);
    };
    const int image = BookmarkModel::ImageIndexRole;
    const int spoken = Qt::AccessibleTextRole;
    for (BookmarkNode* folder : {s.root, s.travel}) {
        EXPECT_EQ(cell(folder, ColumnName, Qt::DisplayRole), folder->entry.Name);
        EXPECT_EQ(cell(folder, ColumnName, image), int(ImageFolder));
        EXPECT_EQ(cell(folder, ColumnLink, Qt::DisplayRole), QString());
        for (const int role : {int(Qt::DisplayRole), image, spoken})
            EXPECT_FALSE(cell(folder, ColumnStatus, role).isValid()) << role;
    }

    const QList<std::tuple<BookmarkStatus, BookmarkImage, QString>> statuses{
        {StatusUnverified, ImageLampUnverified, "Not verified"},
        {StatusAlive, ImageLampAlive, "Alive"},
        {StatusMoved, ImageLampMoved, "Moved"},
        {StatusDead, ImageLampDead, "Dead"},
        {StatusUnsure, ImageLampUnsure, "Not sure"},
        {StatusUnchecked, ImageLampUnverified, "Not checked"}};
    for (const auto& [status, lamp, text] : statuses) {
        model.setStatus(s.maps, status);
        EXPECT_EQ(cell(s.maps, ColumnName, Qt::DisplayRole), "Maps");
        EXPECT_EQ(cell(s.maps, ColumnName, image), int(ImageLink));
        EXPECT_EQ(cell(s.maps, ColumnLink, Qt::DisplayRole), "http://Maps");
        EXPECT_FALSE(cell(s.maps, ColumnLink, image).isValid());
        EXPECT_FALSE(cell(s.maps, ColumnStatus, Qt::DisplayRole).isValid());
        EXPECT_EQ(cell(s.maps, ColumnStatus, image), int(lamp));
        EXPECT_EQ(cell(s.maps, ColumnStatus, spoken), text);
        EXPECT_FALSE(cell(s.maps, ColumnName, spoken).isValid());
    }
}

TEST_F(BookmarkModelTest, ResetNotifiesEachParentsRowsOnceAndClearsTheFoldersCounts)
{
    BookmarkNode* rome = add(model, s.travel, "Rome", false);
    BookmarkNode* empty = add(model, s.root, "Empty", true);
    for (BookmarkNode* link : {s.paris, s.maps, s.mail})
        model.setStatus(link, StatusDead);
    model.setStatus(rome, StatusMoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.resetStatuses();

    // A parent whose folders showed counts has all its rows repainted; one
    // with links only, its links.
    ASSERT_EQ(changed.count(), 4);
    const auto range = [&](int signal) {
        return std::make_pair(changed[signal][0].toModelIndex(), changed[signal][1].toModelIndex());
    };
    EXPECT_EQ(range(0), std::make_pair(model.indexOf(s.root), model.indexOf(s.root, ColumnStatus)));
    EXPECT_EQ(range(1),
              std::make_pair(model.indexOf(s.travel), model.indexOf(empty, ColumnStatus)));
    EXPECT_EQ(range(2), std::make_pair(model.indexOf(s.europe), model.indexOf(rome, ColumnStatus)));
    EXPECT_EQ(range(3),
              std::make_pair(model.indexOf(s.paris), model.indexOf(s.paris, ColumnStatus)));
    for (BookmarkNode* link : {s.paris, s.maps, s.mail, rome})
        EXPECT_EQ(link->entry.Status, StatusUnverified);
    for (BookmarkNode* folder : {s.root, s.travel, s.europe, empty}) {
        EXPECT_EQ(folder->entry.Status, StatusFolder);
        EXPECT_EQ(model.indexOf(folder, ColumnStatus).data().toString(), "");
    }
}

TEST_F(BookmarkModelTest, FoldersCountWhatNeedsADecisionAllLevelsDownAsLinksAreJudgedAndDeleted)
{
    const auto counts = [&](BookmarkNode* folder) {
        return model.indexOf(folder, ColumnStatus).data().toString();
    };
    BookmarkNode* rome = add(model, s.europe, "Rome", false);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setStatus(s.paris, StatusDead);
    // The link's row, then Europe, Travel and Root, each its Status cell.
    EXPECT_EQ(changed.count(), 4);
    model.setStatus(rome, StatusUnsure);
    model.setStatus(s.maps, StatusMoved);
    model.setStatus(s.mail, StatusDead);
    EXPECT_EQ(counts(s.europe), "1 dead, 1 not sure");
    EXPECT_EQ(counts(s.travel), "1 dead, 1 not sure, 1 moved");
    EXPECT_EQ(counts(s.root), "2 dead, 1 not sure, 1 moved");
    EXPECT_EQ(model.indexOf(s.root, ColumnStatus).data(Qt::ToolTipRole).toString(),
              "2 dead, 1 not sure, 1 moved");
    EXPECT_EQ(model.indexOf(s.root, ColumnStatus).data(Qt::AccessibleTextRole).toString(),
              "2 dead, 1 not sure, 1 moved");

    // A second verdict for a link moves it from one count to the other; an
    // updated moved link is plain alive.
    model.setStatus(s.paris, StatusUnsure);
    EXPECT_EQ(counts(s.europe), "2 not sure");
    model.setStatus(s.maps, StatusAlive);
    EXPECT_EQ(counts(s.travel), "2 not sure");
    model.setStatus(rome, StatusMoved);
    EXPECT_EQ(counts(s.travel), "1 not sure, 1 moved");
    model.deleteNode(rome);
    EXPECT_EQ(counts(s.travel), "1 not sure");
    model.setStatus(s.maps, StatusMoved);
    EXPECT_EQ(counts(s.root), "1 dead, 1 not sure, 1 moved");
    model.deleteNode(s.travel);
    EXPECT_EQ(counts(s.root), "1 dead");
    model.deleteNodes({s.mail});
    EXPECT_EQ(counts(s.root), "");
}

TEST_F(BookmarkModelTest, DeletionTakesWholeSubtreesOfTheSortedSelection)
{
    const std::vector<BookmarkNode*> selected{s.paris, s.travel, s.mail};
    const auto selection = model.sortedSelection([&](BookmarkNode* node) {
        return std::find(selected.begin(), selected.end(), node) != selected.end();
    });
    EXPECT_EQ(selection, std::vector<BookmarkNode*>({s.travel, s.mail}));

    model.deleteNode(s.root->parent()); // the invisible root stays
    model.deleteNode(s.europe);
    EXPECT_EQ(walk(model), QStringList({"Root", "Travel", "Maps", "Mail"}));
    EXPECT_EQ(model.index(0, 0, model.indexOf(s.travel)), model.indexOf(s.maps));
    model.deleteNodes(selection);
    EXPECT_EQ(walk(model), QStringList({"Root"}));
}

TEST(BookmarkModelWalkTest, DeletingTheCurrentLinkAfterTakingItsSuccessorLetsTheWalkGoOn)
{
    for (const bool bracket : {false, true}) {
        BookmarkModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        Sample s(model);
        add(model, s.root, "Last", true);
        QStringList visited;
        if (bracket)
            model.beginUpdate();
        for (BookmarkNode* node = model.firstNode(); node;) {
            BookmarkNode* next = model.nextNode(node);
            visited << model.indexOf(node).data().toString();
            if (!BookmarkModel::entry(node)->IsFolder)
                model.deleteNode(node);
            node = next;
        }
        if (bracket)
            model.endUpdate();
        EXPECT_EQ(visited,
                  QStringList({"Root", "Travel", "Europe", "Paris", "Maps", "Mail", "Last"}));
        EXPECT_EQ(walk(model), QStringList({"Root", "Travel", "Europe", "Last"}));
    }
}

TEST_F(BookmarkModelTest, RemovalIsAnnouncedWhileTheSubtreeIsWhole)
{
    QList<QStringList> announced;
    QObject::connect(&model, &BookmarkModel::nodeAboutToBeRemoved, [&](BookmarkNode* node) {
        QStringList subtree;
        for (BookmarkNode* n = node; n != model.nextNodeAfterSubtree(node); n = model.nextNode(n))
            subtree << model.indexOf(n).data().toString();
        announced << subtree;
    });
    model.deleteNode(s.europe);
    model.deleteNodes({s.travel, s.mail});
    model.clear();
    EXPECT_EQ(announced,
              QList<QStringList>({{"Europe", "Paris"}, {"Mail"}, {"Travel", "Maps"}, {"Root"}}));
    EXPECT_EQ(model.firstNode(), nullptr);
    EXPECT_EQ(model.nextNode(nullptr), nullptr);
    EXPECT_EQ(BookmarkModel::entry(nullptr), nullptr);
    EXPECT_TRUE(model.sortedSelection([](BookmarkNode*) { return true; }).empty());
    model.deleteNode(nullptr);
}

TEST_F(BookmarkModelTest, BulkDeletionKeepsSurvivingIndexesAndSelection)
{
    const QPersistentModelIndex maps(model.indexOf(s.maps));
    const QPersistentModelIndex mailLink(model.indexOf(s.mail, ColumnLink));
    const QPersistentModelIndex europe(model.indexOf(s.europe));
    const QPersistentModelIndex paris(model.indexOf(s.paris));
    QItemSelectionModel selection(&model);
    selection.select(model.indexOf(s.maps),
                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.select(model.indexOf(s.paris),
                     QItemSelectionModel::Select | QItemSelectionModel::Rows);

    BookmarkNode* extra = add(model, s.root, "Extra", false);
    model.deleteNodes({s.europe, extra});

    EXPECT_FALSE(europe.isValid() || paris.isValid());
    EXPECT_EQ(maps.row(), 0);
    EXPECT_EQ(BookmarkModel::nodeOf(maps), s.maps);
    EXPECT_EQ(mailLink, model.indexOf(s.mail, ColumnLink));
    EXPECT_TRUE(selection.isRowSelected(0, model.indexOf(s.travel)));
    EXPECT_EQ(selection.selectedRows().size(), 1);
}

} // namespace
