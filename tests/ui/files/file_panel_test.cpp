// The panel's modes, listing and picking files, the snapshot that "CANCEL"
// goes back to, and folders that vanish.
#include "panel_fixture.hpp"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <map>
#include <utility>

namespace zum::testing {
namespace {

TEST_F(PanelTest, EachActionMovesBetweenTheModesAsTheTableSays) {
    EXPECT_EQ(Visibility(), kClosed);
    // Menu commands by name, a click on the first file, else the panel's button of that name.
    const std::map<std::string, std::function<void()>> act{
        {"Open", [&] { panel->mnuOpen_Click(); }},
        {"Folder", [&] { panel->mnuDataFilePath_Click(); }},
        {"Pick", [&] {
             const QPoint at = file1->visualItemRect(file1->item(0)).center();
             QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, at);
         }}};
    const std::pair<std::string, const char*> steps[] = {
        {"Open", kFileMode},     {"Folder", kFileMode},   {"Open", kFileMode},
        {"Pick", kClosed},       {"Folder", kFolderMode}, {"Open", kFolderMode},
        {"Folder", kFolderMode}, {"cmdDone", kClosed},    {"Open", kFileMode},
        {"cmdCancel", kClosed},  {"Folder", kFolderMode}, {"cmdCancel2", kClosed},
    };
    for (const auto& [what, shown] : steps) {
        act.contains(what) ? act.at(what)()
                           : window->findChild<QPushButton*>(what.c_str())->click();
        EXPECT_EQ(Visibility(), shown) << "after " << what;
    }
    EXPECT_EQ(panel->NmeaFileName(), "0511NMEA.TXT");
}

TEST_F(PanelTest, ListsNmeaTxtInAnyCaseAndArrowKeysPickFromTheChosenFile) {
    panel->mnuOpen_Click();
    file1->setFocus();
    QTest::keyClick(file1, Qt::Key_Down);
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(panel->NmeaFileName(), "0511NMEA.TXT");

    // The list is read afresh at each opening.
    Touch(Sub("0701Nmea.Txt"));
    Touch(Sub("0701NMEA.TXT.bak"));
    panel->mnuOpen_Click();
    EXPECT_EQ(FileNames(),
              (QStringList{"0511NMEA.TXT", "0511nmea.txt", "0701Nmea.Txt", "NMEA.TXT"}));
    QTest::keyClick(file1, Qt::Key_Down);
    EXPECT_EQ(panel->NmeaFileName(), "0511nmea.txt");
    EXPECT_EQ(status->text(), "0511nmea.txt");
}

TEST_F(PanelTest, CancelRestoresTheSnapshotAfterMovingAround) {
    // No file chosen yet: everything goes back and the status box is emptied.
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    DoubleClickFolder(root);
    DoubleClickFolder(Sub("empty"));
    panel->cmdCancel_Click();
    EXPECT_EQ(Folder(), root);
    EXPECT_EQ(status->text(), "");

    // With a file chosen, the name comes back in either mode.
    panel->mnuOpen_Click();
    file1->setCurrentRow(2);
    panel->File1_Click();
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    file1->setCurrentRow(0); // selecting by program picks nothing
    panel->cmdCancel_Click();
    EXPECT_EQ(panel->NmeaFileName(), "NMEA.TXT");
    EXPECT_EQ(Folder(), root);
    panel->mnuDataFilePath_Click();
    DoubleClickFolder(Sub("empty"));
    panel->cmdCancel2_Click();
    EXPECT_EQ(Folder(), root);
    EXPECT_EQ(status->text(), "NMEA.TXT");

    // Opening again takes a new snapshot.
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    panel->mnuOpen_Click();
    DoubleClickFolder(root);
    panel->cmdCancel_Click();
    EXPECT_EQ(Folder(), Sub("trip"));
}

TEST_F(PanelTest, VanishedFolderLeavesTheListsAndSaysWhy) {
    panel->mnuOpen_Click();
    ASSERT_TRUE(QDir(Sub("empty")).removeRecursively());
    DoubleClickFolder(Sub("empty"));
    EXPECT_EQ(Folder(), root);
    EXPECT_EQ(status->text(), "Unable to open folder: " + QDir::toNativeSeparators(Sub("empty")));

    // The folder of the snapshot vanishes before "CANCEL".
    DoubleClickFolder(Sub("trip"));
    panel->mnuOpen_Click();
    DoubleClickFolder(root);
    ASSERT_TRUE(QDir(Sub("trip")).removeRecursively());
    panel->cmdCancel_Click();
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(Folder(), root);
    EXPECT_EQ(status->text(), "Unable to open folder: " + QDir::toNativeSeparators(Sub("trip")));
}

} // namespace
} // namespace zum::testing
