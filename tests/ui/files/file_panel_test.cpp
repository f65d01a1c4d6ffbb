// The panel's modes, listing and picking files, the snapshot that "CANCEL"
// goes back to, folders that vanish, "New Folder", and "Create Files" while
// the panel is open.
#include "support/scripted_dialogs.hpp"
#include "ui/files/file_list.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/files/folder_list.hpp"
#include "ui/window/main_window.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zum::testing {
namespace {

// Visibility() in each mode: whether each of Picture1, Drive1, Dir1, File1,
// cmdCancel, cmdDone, cmdNewFolder, cmdCancel2 is shown.
constexpr const char* kClosed = "10000000";
constexpr const char* kFileMode = "01111000";
constexpr const char* kFolderMode = "01100111";

// Creates the file `path` holding `text`.
void Touch(const QString& path, const QByteArray& text = {}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        << path.toStdString();
}

// The main window over a temporary tree, which is its data folder:
//   root/  0511NMEA.TXT 0511nmea.txt NMEA.TXT 0511NMEA.LOG notes.txt
//          trip/0612NMEA.TXT  empty/
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree.isValid() && QDir(root).mkpath("trip") && QDir(root).mkpath("empty"));
        for (const char* name : {"0511NMEA.TXT", "0511nmea.txt", "NMEA.TXT", "0511NMEA.LOG",
                                 "notes.txt", "trip/0612NMEA.TXT"}) {
            Touch(Sub(name));
        }
        qputenv("HOME", root.toLocal8Bit()); // with no settings file the window starts in HOME
        window = std::make_unique<MainWindow>(dialogs, (root + "/none.dat").toStdString());
        window->SetEventPacing(1, std::chrono::milliseconds(0));
        window->show();
        panel = &window->Panel();
        dir1 = window->findChild<FolderList*>("Dir1");
        file1 = window->findChild<FileList*>("File1");
        status = window->findChild<QLineEdit*>("txtStatus");
    }

    [[nodiscard]] QString Sub(const QString& name) const { return root + '/' + name; }
    // Opens `path` as a user does: a double click on its entry in Dir1.
    void DoubleClickFolder(const QString& path) {
        for (int i = 0; i < dir1->count(); ++i) {
            if (dir1->item(i)->data(Qt::UserRole).toString() == path) {
                const QPoint at = dir1->visualItemRect(dir1->item(i)).center();
                QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, at);
                return;
            }
        }
        ADD_FAILURE() << "no entry for " << path.toStdString();
    }
    // The folder that Dir1, File1 and the data folder setting agree on, else all three.
    [[nodiscard]] QString Folder() const {
        const QStringList paths{dir1->Path(), file1->Path(),
                                QString::fromStdString(window->Config().DataFilePath)};
        return paths.count(paths[0]) == 3 ? paths[0] : paths.join(" | ");
    }
    [[nodiscard]] std::string Visibility() const {
        std::string shown;
        for (const char* name : {"Picture1", "Drive1", "Dir1", "File1", "cmdCancel", "cmdDone",
                                 "cmdNewFolder", "cmdCancel2"}) {
            const auto* widget = window->findChild<QWidget*>(name);
            shown += widget != nullptr && !widget->isHidden() ? '1' : '0';
        }
        return shown;
    }

    QTemporaryDir tree;
    QString root = QDir::cleanPath(tree.path());
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    FilePanel* panel = nullptr;
    FolderList* dir1 = nullptr;
    FileList* file1 = nullptr;
    QLineEdit* status = nullptr;
};

TEST_F(PanelTest, EachActionMovesBetweenTheModesAsTheTableSays) {
    // Menu commands by name, a click on the first file, else the panel's button of that name.
    const std::map<std::string, std::function<void()>> act{
        {"Open", [&] { panel->mnuOpen_Click(); }},
        {"Folder", [&] { panel->mnuDataFilePath_Click(); }},
        {"About", [&] { window->mnuAbout_Click(); }},
        {"Pick", [&] {
             const QPoint at = file1->visualItemRect(file1->item(0)).center();
             QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, at);
         }}};
    const std::pair<std::string, const char*> steps[] = {
        {"Open", kFileMode},     {"Folder", kFileMode},   {"Open", kFileMode},
        {"About", kFileMode},    {"Pick", kClosed},       {"Folder", kFolderMode},
        {"About", kFolderMode},  {"Open", kFolderMode},   {"Folder", kFolderMode},
        {"cmdDone", kClosed},    {"Open", kFileMode},     {"cmdCancel", kClosed},
        {"Folder", kFolderMode}, {"cmdCancel2", kClosed},
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
    QStringList names;
    for (int i = 0; i < file1->count(); ++i) {
        names << file1->item(i)->text();
    }
    EXPECT_EQ(names, (QStringList{"0511NMEA.TXT", "0511nmea.txt", "0701Nmea.Txt", "NMEA.TXT"}));
    QTest::keyClick(file1, Qt::Key_Down);
    EXPECT_EQ(panel->NmeaFileName(), "0511nmea.txt");
    EXPECT_EQ(status->text(), "0511nmea.txt");
}

TEST_F(PanelTest, CancelRestoresTheSnapshotAfterMovingAround) {
    // No file chosen yet: everything goes back and the status box is emptied.
    panel->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
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
}

TEST_F(PanelTest, VanishedFolderLeavesTheListsAndSaysWhy) {
    panel->mnuOpen_Click();
    ASSERT_TRUE(QDir(Sub("empty")).removeRecursively());
    DoubleClickFolder(Sub("empty"));
    EXPECT_EQ(Folder(), root);
    EXPECT_EQ(status->text(), "Unable to open folder: " + QDir::toNativeSeparators(Sub("empty")));

    // The folder of the snapshot, taken anew at the second opening, vanishes
    // before "CANCEL".
    DoubleClickFolder(Sub("trip"));
    panel->mnuOpen_Click();
    DoubleClickFolder(root);
    ASSERT_TRUE(QDir(Sub("trip")).removeRecursively());
    panel->cmdCancel_Click();
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(Folder(), root);
    EXPECT_EQ(status->text(), "Unable to open folder: " + QDir::toNativeSeparators(Sub("trip")));
}

// "New Folder" refuses each unusable name, changing nothing; a usable one is
// created and entered, and Enter ("DONE") keeps it; a name given in a folder
// that has vanished is refused too.
TEST_F(PanelTest, NewFolderRefusesUnusableNamesAndEntersTheNewOne) {
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
    EXPECT_EQ(Folder(), Sub("empty"));
    EXPECT_EQ(QDir(Sub("empty")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"kept"});
    EXPECT_FALSE(QFileInfo::exists(Sub("escape")));

    dialogs.Answer(QStringLiteral("Fahrt über Straße"));
    window->findChild<QPushButton*>("cmdNewFolder")->click();
    EXPECT_EQ(dialogs.messages.size(), qsizetype(replies.size())); // one for each refusal only
    const QString created = Sub("empty/Fahrt über Straße");
    EXPECT_TRUE(QFileInfo(created).isDir());
    EXPECT_EQ(Folder(), created);
    EXPECT_EQ(status->text(), created);
    EXPECT_EQ(Visibility(), kFolderMode);
    QTest::keyClick(dir1, Qt::Key_Return);
    EXPECT_EQ(Visibility(), kClosed);
    EXPECT_EQ(Folder(), created);

    panel->mnuDataFilePath_Click();
    ASSERT_TRUE(QDir(created).removeRecursively());
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
}

} // namespace
} // namespace zum::testing
