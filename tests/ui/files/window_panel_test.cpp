// The panel inside the real window: "Create Files" while file mode shows
// another folder, and "About" with the notice box.
#include "config/main_window.hpp"
#include "panel_fixture.hpp"
#include "ui/help/help_texts.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>

namespace zum::testing {
namespace {

constexpr const char* kLog =
    "$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34\r\n"
    "$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B\r\n";

// The window starts with no settings file, so its data folder is HOME: the
// tree's root.
class WindowPanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        if (const char* home = std::getenv("HOME")) {
            savedHome_ = home;
        }
        setenv("HOME", Root().toLocal8Bit().constData(), 1);
        window_ =
            std::make_unique<MainWindow>(dialogs, (Root() + "/no-settings.dat").toStdString());
        window_->SetEventPacing(1, std::chrono::milliseconds(0));
        window_->show();
        dir1 = window_->findChild<FolderList*>(QStringLiteral("Dir1"));
        file1 = window_->findChild<FileList*>(QStringLiteral("File1"));
        windowStatus_ = window_->findChild<QLineEdit*>(QStringLiteral("txtStatus"));
    }
    void TearDown() override {
        window_.reset();
        setenv("HOME", savedHome_.c_str(), 1);
        PanelTest::TearDown();
    }
    static void WriteLog(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kLog);
    }

    std::unique_ptr<MainWindow> window_;
    QLineEdit* windowStatus_ = nullptr;

private:
    std::string savedHome_;
};

TEST_F(WindowPanelTest, CreateFilesUsesTheFolderShownWhileFileModeIsOpen) {
    ASSERT_TRUE(QDir(Root()).mkdir("other"));
    WriteLog(Sub("trip/0612NMEA.TXT"));
    WriteLog(Sub("other/0612NMEA.TXT"));
    EXPECT_EQ(window_->Config().DataFilePath, Root().toStdString());
    EXPECT_EQ(windowStatus_->text(), "Select drive, folder and file.");

    window_->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    file1->setCurrentRow(0);
    window_->Panel().File1_Click();
    window_->mnuOpen_Click();
    DoubleClickFolder(Root());
    DoubleClickFolder(Sub("other"));
    window_->mnuConvert_Click();
    EXPECT_TRUE(QFileInfo::exists(Sub("other/0612NMEA.TXT_draw.txt")));
    EXPECT_FALSE(QFileInfo::exists(Sub("trip/0612NMEA.TXT_draw.txt")));
    EXPECT_EQ(windowStatus_->text(), "DONE");
}

TEST_F(WindowPanelTest, AboutShowsTheMessageThenTheCopyrightLine) {
    Configuration built;
    built.ProgramVersion = kProgramVersion;
    built.CompiledDate = kCompiledDate;
    window_->mnuOpen_Click();
    window_->mnuAbout_Click();
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.last(), AboutMessage(built));
    EXPECT_EQ(windowStatus_->text(), CopyrightLine());
    EXPECT_EQ(window_->Panel().CurrentMode(), FilePanel::Mode::File); // the panel is left alone
    const QString notice = window_->findChild<QLineEdit*>(QStringLiteral("txtCopyright"))->text();
    EXPECT_EQ(notice.at(10), QChar(0xA9));
    EXPECT_EQ(notice, CopyrightLine());
}

} // namespace
} // namespace zum::testing
