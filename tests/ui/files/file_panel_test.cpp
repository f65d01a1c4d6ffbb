// The panel in file mode: placing, listing, the chain of the three lists,
// picking a file, the snapshot and "CANCEL", drives.
#include "panel_fixture.hpp"
#include "platform/drives.hpp"
#include "platform/twips.hpp"

#include <QDir>
#include <QTest>

namespace zum::testing {
namespace {

constexpr const char* kClosed = "10000000";
constexpr const char* kFileMode = "01111000";

TEST_F(PanelTest, StartsClosedAtTheStoredFolderWithItsControlsInPlace) {
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(panel->CurrentMode(), FilePanel::Mode::Closed);
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(DataFilePath(), Root());
    EXPECT_EQ(file1->Path(), Root());
    EXPECT_EQ(drive1->Drive(), DriveOfPath(Root(), drive1->Drives()));
    EXPECT_TRUE(cmdDone->isDefault());
    EXPECT_TRUE(panel->NmeaFileName().isEmpty());

    EXPECT_EQ(dir1->geometry(), TwipsRect(120, 960, 2775, 3915, area.get()));
    EXPECT_EQ(file1->geometry(), TwipsRect(3000, 960, 4095, 3990, area.get()));
    EXPECT_EQ(drive1->geometry(), TwipsRect(120, 600, 2775, 315, area.get()));
    EXPECT_EQ(cmdDone->geometry(), TwipsRect(3360, 1200, 1575, 615, area.get()));
    QStringList order;
    for (const QWidget* widget : panel->TabOrder()) {
        order.append(widget->objectName());
    }
    EXPECT_EQ(order.join(' '),
              "Dir1 File1 Drive1 cmdNewFolder cmdCancel cmdDone cmdCancel2 Picture1");
    // Tabbing really goes that way.
    QStringList chain;
    for (QWidget* w = dir1->nextInFocusChain(); w != dir1; w = w->nextInFocusChain()) {
        if (panel->TabOrder().contains(w)) {
            chain.append(w->objectName());
        }
    }
    EXPECT_EQ(chain.join(' '), "File1 Drive1 cmdNewFolder cmdCancel cmdDone cmdCancel2 Picture1");
}

TEST_F(PanelTest, StoredFolderThatCannotBeShownFallsBackToTheDefault) {
    config.DataFilePath = Sub(QStringLiteral("gone")).toStdString();
    panel->PlaceAtDataFolder();
    const QString fallback = QDir::cleanPath(QString::fromStdString(DefaultDataFolder()));
    EXPECT_EQ(dir1->Path(), fallback);
    EXPECT_EQ(DataFilePath(), fallback);
    EXPECT_EQ(Visibility(), kClosed);
}

TEST_F(PanelTest, ListsOnlyNamesEndingInNmeaTxtInAnyCase) {
    panel->mnuOpen_Click();
    EXPECT_EQ(Visibility(), kFileMode);
    EXPECT_EQ(FileNames(), (QStringList{"0511NMEA.TXT", "0511nmea.txt", "NMEA.TXT"}));
    EXPECT_EQ(status->text(), "Select drive, folder and file."); // opening writes nothing
    EXPECT_TRUE(MatchesNmeaPattern(QStringLiteral("x.nmea.TxT")));
    EXPECT_FALSE(MatchesNmeaPattern(QStringLiteral("0511NMEA.TXT.bak")));
    // Files written while the panel was closed show up when it opens again.
    panel->cmdCancel_Click();
    Touch(Sub(QStringLiteral("0701NMEA.TXT")));
    panel->mnuOpen_Click();
    EXPECT_TRUE(FileNames().contains("0701NMEA.TXT"));
}

TEST_F(PanelTest, FolderChangeSetsFileListThenDataFilePathThenStatus) {
    // Each status text is recorded with the file list's path and DataFilePath
    // as they stood at that moment.
    QStringList& seen = statusCalls;
    ASSERT_EQ(seen.size(), 1); // start-up's placing
    EXPECT_EQ(seen.last(), Root() + " | " + Root() + " | " + Root());

    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    ASSERT_EQ(seen.size(), 2);
    const QString trip = Sub("trip");
    EXPECT_EQ(seen.last(), trip + " | " + trip + " | " + trip);
    EXPECT_EQ(dir1->Path(), trip);
    EXPECT_EQ(FileNames(), QStringList{"0612NMEA.TXT"});

    // Highlighting an entry without opening it changes nothing.
    dir1->setCurrentItem(FolderEntry(Root()));
    EXPECT_EQ(seen.size(), 2);
    EXPECT_EQ(DataFilePath(), trip);
}

TEST_F(PanelTest, PickingWithTheMouseClosesThePanelAndKeepsTheExtension) {
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    QListWidgetItem* entry = file1->item(0);
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(entry).center());
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(panel->NmeaFileName(), "0612NMEA.TXT");
    EXPECT_EQ(status->text(), "0612NMEA.TXT");
    EXPECT_EQ(DataFilePath(), Sub("trip")); // the folder change made meanwhile stays
}

TEST_F(PanelTest, ArrowKeysPickAtOnce) {
    panel->mnuOpen_Click();
    file1->setFocus();
    QTest::keyClick(file1, Qt::Key_Down);
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(panel->NmeaFileName(), "0511NMEA.TXT");

    // With a file chosen, the next arrow key moves on from it.
    panel->mnuOpen_Click();
    EXPECT_EQ(file1->SelectedName(), "0511NMEA.TXT");
    QTest::keyClick(file1, Qt::Key_Down);
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(panel->NmeaFileName(), "0511nmea.txt");
    EXPECT_EQ(status->text(), "0511nmea.txt");
}

TEST_F(PanelTest, CancelRestoresTheSnapshotAfterMovingAround) {
    // Before any file was chosen: the status box ends up empty.
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    EXPECT_EQ(DataFilePath(), Sub("trip"));
    EXPECT_EQ(status->text(), Sub("trip"));
    DoubleClickFolder(Root());
    DoubleClickFolder(Sub("empty"));
    panel->cmdCancel_Click();
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(file1->Path(), Root());
    EXPECT_EQ(DataFilePath(), Root());
    EXPECT_TRUE(panel->NmeaFileName().isEmpty());
    EXPECT_EQ(status->text(), "");

    // With a file chosen: the name comes back and shows.
    panel->mnuOpen_Click();
    file1->setCurrentRow(2);
    panel->File1_Click();
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    file1->setCurrentRow(0); // selecting by program picks nothing
    EXPECT_EQ(panel->CurrentMode(), FilePanel::Mode::File);
    area->findChild<QPushButton*>("cmdCancel")->click();
    EXPECT_EQ(panel->NmeaFileName(), "NMEA.TXT");
    EXPECT_EQ(status->text(), "NMEA.TXT");
    EXPECT_EQ(DataFilePath(), Root());
}

TEST_F(PanelTest, OpenAgainRenewsTheSnapshotAndFolderMenuDoesNothing) {
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    panel->mnuOpen_Click(); // second opening, at trip
    panel->mnuDataFilePath_Click();
    EXPECT_EQ(Visibility(), kFileMode);
    DoubleClickFolder(Root());
    EXPECT_EQ(dir1->Path(), Root());
    panel->cmdCancel_Click();
    EXPECT_EQ(dir1->Path(), Sub("trip"));
    EXPECT_EQ(DataFilePath(), Sub("trip"));
}

TEST_F(PanelTest, VanishedFolderLeavesTheListsAndSaysWhy) {
    panel->mnuOpen_Click();
    ASSERT_TRUE(QDir(Sub("empty")).removeRecursively());
    DoubleClickFolder(Sub("empty"));
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(DataFilePath(), Root());
    EXPECT_EQ(status->text(), "Unable to open folder: " + QDir::toNativeSeparators(Sub("empty")));

    // The folder of the snapshot vanishes before "CANCEL".
    DoubleClickFolder(Sub("trip"));
    panel->mnuOpen_Click(); // snapshot at trip
    DoubleClickFolder(Root());
    ASSERT_TRUE(QDir(Sub("trip")).removeRecursively());
    panel->cmdCancel_Click();
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(DataFilePath(), Root());
    EXPECT_EQ(status->text(), "Unable to open folder: " + QDir::toNativeSeparators(Sub("trip")));
}

TEST_F(PanelTest, DriveChangeMovesToTheDrivesCurrentFolderOrStaysWhenNotReady) {
    const QString volume = Sub("volume");
    ASSERT_TRUE(QDir().mkpath(volume + "/maps"));
    const QString missing = Sub("unplugged");
    panel->SetDriveLister([=] { return QStringList{"/", volume, missing}; });
    panel->mnuOpen_Click();

    drive1->setCurrentIndex(drive1->findData(volume));
    emit drive1->activated(drive1->currentIndex());
    EXPECT_EQ(dir1->Path(), volume); // never visited: its root
    EXPECT_EQ(DataFilePath(), volume);
    DoubleClickFolder(volume + "/maps");
    EXPECT_EQ(drive1->Drive(), volume);

    // Back on "/", then to the volume again: its current folder is the last one open.
    drive1->setCurrentIndex(drive1->findData("/"));
    emit drive1->activated(drive1->currentIndex());
    EXPECT_EQ(dir1->Path(), Root());
    drive1->setCurrentIndex(drive1->findData(volume));
    emit drive1->activated(drive1->currentIndex());
    EXPECT_EQ(dir1->Path(), volume + "/maps");

    // Moving up out of the volume moves the drive list with the folder list.
    DoubleClickFolder(Root());
    EXPECT_EQ(drive1->Drive(), "/");

    drive1->setCurrentIndex(drive1->findData(missing));
    emit drive1->activated(drive1->currentIndex());
    EXPECT_EQ(drive1->Drive(), "/");
    EXPECT_EQ(dir1->Path(), Root());
    EXPECT_EQ(status->text(), "Drive " + missing + " is not ready.");
}

TEST(Drives, UserVisibleVolumesAndTheDriveOfAPath) {
    const QString home = QStringLiteral("/home/ann");
    const auto visible = [&](const char* root, const char* type, bool ready = true) {
        return IsUserVisibleVolume({QString::fromLatin1(root), type, true, ready}, home);
    };
    EXPECT_TRUE(visible("/", "overlay"));
    EXPECT_TRUE(visible("/media/ann/STICK", "vfat"));
    EXPECT_TRUE(visible("/run/media/ann/CARD", "exfat"));
    EXPECT_TRUE(visible("/mnt/data", "ext4"));
    EXPECT_TRUE(visible("/home/ann/nas", "nfs"));
    EXPECT_FALSE(visible("/media/ann/STICK", "vfat", false));
    EXPECT_FALSE(visible("/proc", "proc"));
    EXPECT_FALSE(visible("/run/user/1000", "tmpfs"));
    EXPECT_FALSE(visible("/snap/core/1", "squashfs"));
    EXPECT_FALSE(visible("/boot", "ext4"));
    EXPECT_FALSE(visible("/mediastore", "ext4"));

    const QStringList drives{"/", "/media/ann/STICK"};
    EXPECT_EQ(DriveOfPath("/media/ann/STICK/gps", drives), "/media/ann/STICK");
    EXPECT_EQ(DriveOfPath("/media/ann/STICK", drives), "/media/ann/STICK");
    EXPECT_EQ(DriveOfPath("/media/ann/STICK2", drives), "/");
    EXPECT_EQ(DriveOfPath("/home/ann", drives), "/");
    EXPECT_EQ(ListDrives().value(0), "/");
}

} // namespace
} // namespace zum::testing
