// The help list windows: one instance each, filled afresh at every opening.
#include "ui/help/help_texts.hpp"
#include "ui/help/list_window.hpp"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace zum {
namespace {

// Lets closed windows finish deleting themselves.
void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(HelpTest, ListWindowsKeepTheirEntriesOverRepeatedOpening) {
    for (const QStringList& lines :
         {DescriptionLines(), FileSampleLines(), SpecialPurposeLines()}) {
        EXPECT_FALSE(lines.contains(QString())); // a blank line is one blank
    }

    ListWindowSlot description("frmHelp", "Description", &DescriptionLines);
    ListWindowSlot samples("frmHelp2", "Data File Examples", &FileSampleLines);
    ListWindowSlot special("frmSPhelp", "Special Purpose Selections", &SpecialPurposeLines);
    const struct {
        ListWindowSlot* slot;
        int entries;
    } lists[] = {{&description, 29}, {&samples, 28}, {&special, 29}};
    for (int round = 0; round < 4; ++round) {
        for (const auto& [slot, entries] : lists) {
            ListWindow* shown = slot->Show();
            EXPECT_EQ(slot->Show(), shown);
            EXPECT_EQ(shown->EntryCount(), entries) << "round " << round;
            shown->findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
            EXPECT_EQ(slot->Window(), nullptr);
        }
        if (round % 2 == 1) {
            Settle(); // otherwise the next opening comes before the old window is gone
        }
    }

    // The windows are left to themselves when their slot goes away.
    QPointer<ListWindow> survivor;
    {
        ListWindowSlot temporary("frmHelp", "Description", &DescriptionLines);
        survivor = temporary.Show();
    }
    Settle();
    ASSERT_FALSE(survivor.isNull());
    EXPECT_TRUE(survivor->isVisible());
    survivor->close();
    Settle();
}

} // namespace
} // namespace zum
