// The panel's modes, listing and picking files, the snapshot that "CANCEL"
// goes back to, folders that vanish, "New Folder", and "Create Files" and
// "About" while the panel is open.
#include "panel_fixture.hpp"
#include "ui/help/help_texts.hpp"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

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

TEST_F(PanelTest, NewFolderIsCreatedAndEnteredAndEnterKeepsIt) {
    panel->mnuDataFilePath_Click();
    dialogs.Answer(QStringLiteral("Fahrt über Straße"));
    window->findChild<QPushButton*>("cmdNewFolder")->click();
    ASSERT_EQ(dialogs.prompts.size(), 1U);
    EXPECT_EQ(dialogs.prompts[0].prompt, "Enter the New Folder's name.");
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const QString created = Sub("Fahrt über Straße");
    EXPECT_TRUE(QFileInfo(created).isDir());
    EXPECT_EQ(Folder(), created);
    EXPECT_EQ(status->text(), created);
    EXPECT_EQ(Visibility(), kFolderMode);

    // Enter on the open folder is "DONE", which keeps it.
    QTest::keyClick(dir1, Qt::Key_Return);
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(Folder(), created);
}

TEST_F(PanelTest, NewFolderFailsForEachUnusableNameAndChangesNothing) {
    ASSERT_TRUE(QDir(Sub("empty")).mkdir("kept"));
    panel->mnuDataFilePath_Click();
    DoubleClickFolder(Sub("empty"));
    const std::vector<std::optional<QString>> replies{
        "kept", "", std::nullopt, "a/b", "a\\b", "..", "../escape", ".",
    };
    for (const std::optional<QString>& reply : replies) {
        SCOPED_TRACE(reply.value_or("(cancelled)").toStdString());
        reply ? dialogs.Answer(*reply) : dialogs.Cancel();
        panel->cmdNewFolder_Click();
        EXPECT_EQ(dialogs.messages.value(dialogs.messages.size() - 1),
                  "Unable to create folder: " + reply.value_or(QString()));
    }
    EXPECT_EQ(dialogs.messages.size(), qsizetype(replies.size()));
    EXPECT_EQ(Folder(), Sub("empty"));
    EXPECT_EQ(QDir(Sub("empty")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"kept"});
    EXPECT_FALSE(QFileInfo::exists(Sub("escape")));

    // The folder shown vanished meanwhile.
    ASSERT_TRUE(QDir(Sub("empty")).removeRecursively());
    dialogs.Answer(QStringLiteral("late"));
    panel->cmdNewFolder_Click();
    EXPECT_EQ(dialogs.messages.last(), "Unable to create folder: late");
    EXPECT_EQ(Visibility(), kFolderMode);
}

TEST_F(PanelTest, CreateFilesUsesTheFolderShownWhileFileModeIsOpen) {
    for (const char* folder : {"trip", "empty"}) {
        Touch(Sub(folder) + "/0612NMEA.TXT",
              "$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34\r\n");
    }
    window->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    file1->setCurrentRow(0);
    panel->File1_Click();
    window->mnuOpen_Click();
    DoubleClickFolder(root);
    DoubleClickFolder(Sub("empty"));
    window->mnuConvert_Click();
    EXPECT_TRUE(QFileInfo::exists(Sub("empty/0612NMEA.TXT_draw.txt")));
    EXPECT_FALSE(QFileInfo::exists(Sub("trip/0612NMEA.TXT_draw.txt")));
    EXPECT_EQ(status->text(), "DONE");
}

TEST_F(PanelTest, AboutShowsTheMessageThenTheCopyrightLine) {
    window->mnuOpen_Click();
    window->mnuAbout_Click();
    EXPECT_EQ(dialogs.messages,
              QStringList{"GPS NMEA to Draw file converter.\r\n\r\n" + CopyrightLine() +
                          "\r\n\r\nVersion 2.0.2  Compiled 05/14/2006"});
    EXPECT_EQ(status->text(), CopyrightLine());
    EXPECT_EQ(window->findChild<QLineEdit*>("txtCopyright")->text(), CopyrightLine());
    EXPECT_EQ(panel->CurrentMode(), FilePanel::Mode::File); // left alone
}

} // namespace
} // namespace zum::testing
