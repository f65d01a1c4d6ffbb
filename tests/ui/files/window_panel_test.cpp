// The panel inside the real window: "Create Files" while file mode shows
// another folder, and "About".
#include "config/main_window.hpp"
#include "panel_fixture.hpp"
#include "ui/help/help_texts.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace zum::testing {
namespace {

// The window starts with no settings file, so its data folder is HOME: the
// tree's root. Dir1, File1 and the status box are the window's.
class WindowPanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        const char* home = std::getenv("HOME");
        savedHome_ = home != nullptr ? home : "";
        setenv("HOME", Root().toLocal8Bit().constData(), 1);
        window = std::make_unique<MainWindow>(dialogs, (Root() + "/none.dat").toStdString());
        window->SetEventPacing(1, std::chrono::milliseconds(0));
        window->show();
        dir1 = window->findChild<FolderList*>(QStringLiteral("Dir1"));
        file1 = window->findChild<FileList*>(QStringLiteral("File1"));
        status = window->findChild<QLineEdit*>(QStringLiteral("txtStatus"));
    }
    void TearDown() override {
        window.reset();
        setenv("HOME", savedHome_.c_str(), 1);
    }

    std::unique_ptr<MainWindow> window;

private:
    std::string savedHome_;
};

TEST_F(WindowPanelTest, CreateFilesUsesTheFolderShownWhileFileModeIsOpen) {
    ASSERT_TRUE(QDir(Root()).mkdir("other"));
    for (const char* folder : {"trip", "other"}) {
        QFile log(Sub(folder) + "/0612NMEA.TXT");
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write("$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34\r\n");
    }
    window->mnuOpen_Click();
    DoubleClickFolder(Sub("trip"));
    file1->setCurrentRow(0);
    window->Panel().File1_Click();
    window->mnuOpen_Click();
    DoubleClickFolder(Root());
    DoubleClickFolder(Sub("other"));
    window->mnuConvert_Click();
    EXPECT_TRUE(QFileInfo::exists(Sub("other/0612NMEA.TXT_draw.txt")));
    EXPECT_FALSE(QFileInfo::exists(Sub("trip/0612NMEA.TXT_draw.txt")));
    EXPECT_EQ(status->text(), "DONE");
}

TEST_F(WindowPanelTest, AboutShowsTheMessageThenTheCopyrightLine) {
    window->mnuOpen_Click();
    window->mnuAbout_Click();
    EXPECT_EQ(dialogs.messages,
              QStringList{"GPS NMEA to Draw file converter.\r\n\r\n" + CopyrightLine() +
                          "\r\n\r\nVersion 2.0.2  Compiled 05/14/2006"});
    EXPECT_TRUE(CopyrightLine().contains("2006 the ZUM-POINTS authors"));
    EXPECT_EQ(status->text(), CopyrightLine());
    const QString notice = window->findChild<QLineEdit*>("txtCopyright")->text();
    EXPECT_EQ(notice, CopyrightLine());
    EXPECT_EQ(notice.at(10), QChar(0xA9));
    EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::File); // left alone
}

} // namespace
} // namespace zum::testing
