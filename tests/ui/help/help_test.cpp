// The help list windows are filled afresh at every opening.
#include "ui/help/help_texts.hpp"
#include "ui/help/list_window.hpp"

#include <QCoreApplication>
#include <QPushButton>
#include <gtest/gtest.h>
#include <utility>

namespace zum {
namespace {

// Lets closed windows finish deleting themselves.
void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(HelpTest, ListWindowsKeepTheirEntriesOverRepeatedOpening) {
    ListWindowSlot description("frmHelp", "Description", &DescriptionLines);
    ListWindowSlot samples("frmHelp2", "Data File Examples", &FileSampleLines);
    ListWindowSlot special("frmSPhelp", "Special Purpose Selections", &SpecialPurposeLines);
    const std::pair<ListWindowSlot*, int> lists[] = {
        {&description, 29}, {&samples, 28}, {&special, 29}};
    for (int round = 0; round < 4; ++round) {
        for (const auto& [slot, entries] : lists) {
            ListWindow* shown = slot->Show();
            EXPECT_EQ(shown->EntryCount(), entries) << "round " << round;
            shown->findChild<QPushButton*>("cmdExit")->click();
            EXPECT_EQ(slot->Window(), nullptr);
        }
        if (round % 2 == 1) {
            Settle(); // otherwise the next opening comes before the old window is gone
        }
    }
}

} // namespace
} // namespace zum
