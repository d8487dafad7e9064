// The study grouped by site: the tree's site row and the site diagram follow
// a change of interpretation at once, and undo brings them back.

#include <QCheckBox>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUndoStack>

#include "GuiTestSupport.h"
#include "study/SiteDiagramDock.h"
#include "study/SiteTreeModel.h"
#include "study/StudyDock.h"
#include "study/StudySession.h"

namespace korvanes::guitest {
namespace {

TEST(SiteTree, TheSiteRowAndDiagramFollowARejection)
{
    const QString published = QStringLiteral(KORVANES_SOURCE_DIR "/../shared/magic/thermal-izzi-measurements.txt");
    if (!QFile::exists(published)) {
        GTEST_SKIP() << "no published MagIC files beside the repository";
    }
    ForgetSettings();
    QTemporaryDir folder;
    const QString measurements = folder.filePath(QStringLiteral("measurements.txt"));
    ASSERT_TRUE(QFile::copy(published, measurements));
    ModalAnswerer answerer;
    RunningProgram program;
    ASSERT_TRUE(program.Main().OpenStudyPaths({measurements}));
    Settle();
    StudyDock* dock = program.Main().StudyTable();
    dock->GroupBySite()->click();
    QTreeView* tree = dock->SiteTree();
    ASSERT_TRUE(tree->isVisible());
    QAbstractItemModel* model = tree->model();

    // The first site (ATPIPV04) counts three specimens; choose its first counted one in the tree.
    const QModelIndex site = model->index(0, 0);
    ASSERT_EQ(site.data().toString(), QStringLiteral("ATPIPV04"));
    EXPECT_EQ(model->index(0, SiteTreeModel::kN).data().toInt(), 3);
    EXPECT_TRUE(model->index(0, SiteTreeModel::kVerdict).data().toString().startsWith(QStringLiteral("yes")));
    QModelIndex counted;
    for (int k = 0; k < model->rowCount(site) && !counted.isValid(); ++k) {
        const QModelIndex sample = model->index(k, 0, site);
        for (int v = 0; v < model->rowCount(sample); ++v) {
            if (model->index(v, SiteTreeModel::kVerdict, sample).data().toString() == QStringLiteral("counted")) {
                counted = model->index(v, 0, sample);
                break;
            }
        }
    }
    ASSERT_TRUE(counted.isValid());
    tree->setCurrentIndex(counted);
    StudySession* session = program.Main().Study();
    ASSERT_EQ(session->Current(), counted.data(SiteTreeModel::kSpecimenRole).toInt());

    // Rejected in the dock: the site row and the diagram's summary change at once, rows kept.
    dock->Rejected()->click();
    QTRY_COMPARE(model->index(0, SiteTreeModel::kN).data().toInt(), 2);
    EXPECT_TRUE(model->index(0, SiteTreeModel::kVerdict).data().toString().startsWith(QStringLiteral("no: N 2 < 3")));
    EXPECT_EQ(counted.siblingAtColumn(SiteTreeModel::kVerdict).data().toString(), QStringLiteral("rejected"));
    EXPECT_FALSE(session->Sites().Summary().sites.front().accepted);

    session->UndoStack().undo();
    QTRY_COMPARE(model->index(0, SiteTreeModel::kN).data().toInt(), 3);
    EXPECT_TRUE(session->Sites().Summary().sites.front().accepted);
    dock->GroupBySite()->setChecked(false);  // the choice is remembered: leave the table for the next tests
}

}  // namespace
}  // namespace korvanes::guitest
