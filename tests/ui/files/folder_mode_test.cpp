// The panel in folder mode: opening, "DONE", "CANCEL", "New Folder" and Enter.
#include "panel_fixture.hpp"
#include "ui/files/new_folder.hpp"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace zum::testing {
namespace {

constexpr const char* kClosed = "10000000";
constexpr const char* kFileMode = "01111000";
constexpr const char* kFolderMode = "01100111";

TEST_F(PanelTest, FolderModeOpensOnlyFromClosedAndDoneKeepsTheFolder) {
    panel->mnuOpen_Click();
    panel->mnuDataFilePath_Click(); // file mode open: nothing
    EXPECT_EQ(Visibility(), kFileMode);
    panel->cmdCancel_Click();

    status->setText(QStringLiteral("before"));
    panel->mnuDataFilePath_Click();
    EXPECT_EQ(Visibility(), kFolderMode);
    EXPECT_EQ(panel->CurrentMode(), FilePanel::Mode::Folder);
    EXPECT_TRUE(cmdDone->isDefault());
    EXPECT_EQ(status->text(), "before");
    panel->mnuOpen_Click();
    panel->mnuDataFilePath_Click();
    EXPECT_EQ(Visibility(), kFolderMode);

    DoubleClickFolder(Sub("trip"));
    EXPECT_EQ(DataFilePath(), Sub("trip"));
    EXPECT_EQ(status->text(), Sub("trip"));
    cmdDone->click();
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(DataFilePath(), Sub("trip"));
    EXPECT_EQ(file1->Path(), Sub("trip"));
    EXPECT_EQ(status->text(), Sub("trip"));
    EXPECT_TRUE(panel->NmeaFileName().isEmpty());
}

TEST_F(PanelTest, FolderModeCancelRestoresAndShowsTheFileName) {
    panel->mnuOpen_Click();
    file1->setCurrentRow(0);
    panel->File1_Click();
    panel->mnuDataFilePath_Click();
    DoubleClickFolder(Sub("empty"));
    area->findChild<QPushButton*>("cmdCancel2")->click();
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(DataFilePath(), Root());
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(panel->NmeaFileName(), "0511NMEA.TXT");
    EXPECT_EQ(status->text(), "0511NMEA.TXT");
}

TEST_F(PanelTest, NewFolderIsCreatedAndEnteredAndStaysAfterCancel) {
    panel->mnuDataFilePath_Click();
    dialogs.Answer(QStringLiteral("New Folder"));
    area->findChild<QPushButton*>("cmdNewFolder")->click();
    ASSERT_EQ(dialogs.prompts.size(), 1U);
    EXPECT_EQ(dialogs.prompts[0].prompt, "Enter the New Folder's name.");
    EXPECT_EQ(dialogs.prompts[0].title, "New Folder");
    EXPECT_EQ(dialogs.prompts[0].defaultReply, "New Folder");
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const QString created = Sub("New Folder");
    EXPECT_TRUE(QFileInfo(created).isDir());
    EXPECT_EQ(dir1->Path(), created);
    EXPECT_EQ(file1->Path(), created);
    EXPECT_EQ(DataFilePath(), created);
    EXPECT_EQ(status->text(), created);
    EXPECT_EQ(Visibility(), kFolderMode);

    // Non-ASCII letters are fine too.
    dialogs.Answer(QStringLiteral("Fahrt über Straße"));
    panel->cmdNewFolder_Click();
    EXPECT_EQ(DataFilePath(), created + "/Fahrt über Straße");

    panel->cmdCancel2_Click();
    EXPECT_EQ(DataFilePath(), Root());
    EXPECT_TRUE(QFileInfo(created + "/Fahrt über Straße").isDir());

    // The same name again in the same folder fails.
    panel->mnuDataFilePath_Click();
    dialogs.Answer(QStringLiteral("New Folder"));
    panel->cmdNewFolder_Click();
    EXPECT_EQ(dialogs.messages, QStringList{"Unable to create folder: New Folder"});
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(Visibility(), kFolderMode);
}

TEST_F(PanelTest, NewFolderRefusesNamesThatLeaveTheFolder) {
    panel->mnuDataFilePath_Click();
    DoubleClickFolder(Sub("empty"));
    const QStringList refused{"", "..", "../escape", "a/b", "a\\b", ".", "x..y"};
    for (const QString& name : refused) {
        dialogs.Answer(name);
    }
    dialogs.Cancel();
    for (qsizetype i = 0; i <= refused.size(); ++i) {
        panel->cmdNewFolder_Click();
    }
    QStringList expected;
    for (const QString& name : refused) {
        expected.append("Unable to create folder: " + name);
    }
    expected.append("Unable to create folder: "); // a cancelled prompt
    EXPECT_EQ(dialogs.messages, expected);
    EXPECT_TRUE(QDir(Sub("empty")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Sub("escape")));
    EXPECT_EQ(DataFilePath(), Sub("empty"));
    EXPECT_EQ(Visibility(), kFolderMode);

    // The parent vanished under the panel: the creation fails, nothing else changes.
    ASSERT_TRUE(QDir(Sub("empty")).removeRecursively());
    dialogs.Answer(QStringLiteral("late"));
    panel->cmdNewFolder_Click();
    EXPECT_EQ(dialogs.messages.last(), "Unable to create folder: late");
    EXPECT_EQ(Visibility(), kFolderMode);
}

TEST_F(PanelTest, DoubledSeparatorReachesTheSameFolder) {
    EXPECT_TRUE(CreateFolderIn(Root() + "/", QStringLiteral("with space ")));
    EXPECT_TRUE(QFileInfo(Sub("with space ")).isDir());
    EXPECT_FALSE(CreateFolderIn(Root() + "/", QStringLiteral("with space ")));
}

TEST_F(PanelTest, EnterOpensTheHighlightedFolderOrPressesDone) {
    panel->mnuDataFilePath_Click();
    dir1->setFocus();
    dir1->setCurrentItem(FolderEntry(Sub("trip")));
    QTest::keyClick(dir1, Qt::Key_Return);
    EXPECT_EQ(dir1->Path(), Sub("trip"));
    EXPECT_EQ(Visibility(), kFolderMode);
    // The highlight is on the open folder now: Enter is "DONE".
    QTest::keyClick(dir1, Qt::Key_Return);
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(DataFilePath(), Sub("trip"));

    // In file mode "DONE" is hidden and Enter presses nothing.
    panel->mnuOpen_Click();
    QTest::keyClick(status, Qt::Key_Return);
    EXPECT_EQ(Visibility(), kFileMode);
}

} // namespace
} // namespace zum::testing
