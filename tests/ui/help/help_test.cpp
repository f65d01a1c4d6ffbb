// The fixed texts, the About message and the help list windows.
#include "ui/help/help_texts.hpp"
#include "ui/help/list_window.hpp"

#include <QApplication>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

// One-time allocations of the system's font configuration library, made when
// Qt first lays out text; they are not ours and live until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace zum {
namespace {

class HelpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "zum_help_tests";
            static char* argv[] = {name, nullptr};
            static QApplication* app = new QApplication(argc, argv);
            (void)app;
        }
    }
    // Lets closed windows finish deleting themselves.
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST_F(HelpTest, CopyrightLineAndNoticeAgree) {
    const QString line = CopyrightLine();
    EXPECT_TRUE(line.contains("the ZUM-POINTS authors"));
    EXPECT_TRUE(line.contains("2006"));
    EXPECT_FALSE(line.endsWith('.'));
    QString notice = CopyrightNoticeTemplate();
    ASSERT_GT(notice.size(), 10);
    EXPECT_NE(notice[10], QChar(0xA9)); // a placeholder until start-up
    notice[10] = QChar(0xA9);
    EXPECT_EQ(notice, line);
    EXPECT_EQ(DescriptionLines().last(), line + ".");
    EXPECT_EQ(FileSampleLines().last(), line + ".");
}

TEST_F(HelpTest, AboutMessageLines) {
    Configuration config;
    config.ProgramVersion = kProgramVersion;
    config.CompiledDate = kCompiledDate;
    EXPECT_EQ(AboutMessage(config), "GPS NMEA to Draw file converter.\r\n\r\n" + CopyrightLine() +
                                        "\r\n\r\nVersion 2.0.2  Compiled 05/14/2006");
}

TEST_F(HelpTest, FixedListsKeepTheirEntriesAndBlanks) {
    const QStringList description = DescriptionLines();
    const QStringList samples = FileSampleLines();
    const QStringList special = SpecialPurposeLines();
    ASSERT_EQ(description.size(), 29);
    ASSERT_EQ(samples.size(), 28);
    ASSERT_EQ(special.size(), 29);
    EXPECT_EQ(description[18], "          UNDER THE SETUP/WAY POINTS MENU");
    EXPECT_TRUE(samples[6].endsWith("1.8*3B"));
    EXPECT_TRUE(samples[7].endsWith(",E,D*34"));
    EXPECT_TRUE(special[7].contains("second.  If"));
    EXPECT_TRUE(special[17].contains("minute.  This"));
    for (const QStringList* lines : {&description, &samples, &special}) {
        for (const QString& entry : *lines) {
            EXPECT_FALSE(entry.isEmpty()); // a blank line is one blank
        }
    }
}

TEST_F(HelpTest, OneInstanceFilledOncePerOpening) {
    ListWindowSlot slot(QStringLiteral("frmHelp"), QStringLiteral("Description"),
                        &DescriptionLines);
    ListWindowSlot other(QStringLiteral("frmHelp2"), QStringLiteral("Data File Examples"),
                         &FileSampleLines);
    ListWindow* first = slot.Show();
    ListWindow* again = slot.Show();
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->EntryCount(), 29);
    EXPECT_EQ(first->objectName(), "frmHelp");
    EXPECT_EQ(first->windowTitle(), "Description");
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_EQ(other.Show()->EntryCount(), 28);

    for (int round = 0; round < 3; ++round) {
        auto* exit = slot.Window()->findChild<QPushButton*>(QStringLiteral("cmdExit"));
        ASSERT_NE(exit, nullptr);
        exit->click();
        EXPECT_EQ(slot.Window(), nullptr);
        Settle();
        ListWindow* reopened = slot.Show();
        EXPECT_EQ(reopened->EntryCount(), 29);
        EXPECT_EQ(reopened->findChild<QListWidget*>(QStringLiteral("lstHelp"))->item(1)->text(),
                  DescriptionLines()[1]);
    }
    // Reopened before the closed window is gone: still one fresh, full window.
    slot.Window()->close();
    EXPECT_EQ(slot.Show()->EntryCount(), 29);
    Settle();
    ASSERT_NE(slot.Window(), nullptr);
    EXPECT_EQ(slot.Window()->EntryCount(), 29);

    // The windows are left to themselves when the slots go away.
    QPointer<ListWindow> survivor = slot.Window();
    {
        ListWindowSlot temporary(QStringLiteral("frmSPhelp"),
                                 QStringLiteral("Special Purpose Selections"),
                                 &SpecialPurposeLines);
        EXPECT_EQ(temporary.Show()->EntryCount(), 29);
        survivor = temporary.Window();
    }
    Settle();
    ASSERT_FALSE(survivor.isNull());
    EXPECT_TRUE(survivor->isVisible());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->close();
    }
    Settle();
}

} // namespace
} // namespace zum
