// "Create Files" and "About" while the panel is open.
#include "panel_fixture.hpp"
#include "ui/help/help_texts.hpp"

#include <QDir>
#include <QFileInfo>

namespace zum::testing {
namespace {

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
