// The panel in folder mode: "New Folder", and "DONE" by Enter.
#include "panel_fixture.hpp"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <vector>

namespace zum::testing {
namespace {

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

} // namespace
} // namespace zum::testing
