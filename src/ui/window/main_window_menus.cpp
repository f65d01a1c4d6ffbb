// The menu tree of the main window and the commands of the Time Zone and
// Settings menus.
#include "platform/dialogs.hpp"
#include "ui/window/main_window.hpp"
#include "ui/window/menu_values.hpp"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <string>

namespace zum {

namespace {

template <std::size_t N> QAction* Item(const std::array<QAction*, N>& array, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? array[index] : nullptr;
}

template <std::size_t N> void SetMark(const std::array<QAction*, N>& array, int index, bool on) {
    if (QAction* action = Item(array, index)) {
        action->setChecked(on);
    }
}

template <std::size_t N, std::size_t M>
void ClearMarks(const std::array<QAction*, N>& array, const std::array<MenuItem, M>& items) {
    for (const MenuItem& item : items) {
        SetMark(array, item.index, false);
    }
}

// A click runs the item's command with the check mark as it stood before the
// click: Qt has already toggled a checkable action when it reports the
// trigger, and the commands set the marks themselves.
template <typename Command>
void ConnectClick(QAction* action, MainWindow* window, Command command) {
    QObject::connect(action, &QAction::triggered, window, [action, command](bool checked) {
        if (action->isCheckable()) {
            action->setChecked(!checked);
        }
        command();
    });
}

// An on/off option: inverts its own check mark and stores 1 or 0 in its flag.
void Toggle(QAction* action, std::int16_t& flag) {
    if (action->isChecked()) {
        action->setChecked(false);
        flag = 0;
    } else {
        action->setChecked(true);
        flag = 1;
    }
}

QMenu* NewMenu(QMenu* menu, const char* name) {
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

} // namespace

QAction* MainWindow::newAction(const char* name, const char* caption, bool checkable, int index) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(checkable);
    action->setMenuRole(QAction::NoRole);
    if (index >= 0) {
        action->setData(index);
    }
    return action;
}

void MainWindow::createActions() {
    mnuOpen_ = newAction("mnuOpen", "&Open");
    ConnectClick(mnuOpen_, this, [this] { mnuOpen_Click(); });
    mnuExit_ = newAction("mnuExit", "E&xit");
    ConnectClick(mnuExit_, this, [this] { mnuExit_Click(); });
    mnuConvert_ = newAction("mnuConvert", "&Create Files");
    // The run starts once the menu bar has finished with the click or key
    // that chose it. Run from inside the menu bar's own handling of Alt+C,
    // it would hold the menu bar in its keyboard state for the whole run,
    // where a mouse click on a menu is not taken.
    ConnectClick(mnuConvert_, this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { mnuConvert_Click(); }, Qt::QueuedConnection);
    });

    for (const MenuItem& item : kTimeZoneItems) {
        QAction* action = newAction("mnuTimeZone", item.caption, true, item.index);
        mnuTimeZone_[item.index] = action;
        ConnectClick(action, this, [this, i = item.index] { mnuTimeZone_Click(i); });
    }
    for (const MenuItem& item : kDistanceUnitItems) {
        QAction* action = newAction("mnuDistanceUnits", item.caption, true, item.index);
        mnuDistanceUnits_[item.index] = action;
        ConnectClick(action, this, [this, i = item.index] { mnuDistanceUnits_Click(i); });
    }

    mnuIntervalOnly_ = newAction("mnuIntervalOnly", "By Interval only", true);
    mnuIntervalOnly_->setChecked(true);
    ConnectClick(mnuIntervalOnly_, this, [this] { mnuIntervalOnly_Click(); });
    mnuAtStops_ = newAction("mnuAtStops", "At Stops Separated by Interval", true);
    ConnectClick(mnuAtStops_, this, [this] { mnuAtStops_Click(); });

    for (const MenuItem& item : kIntervalItems) {
        QAction* action = newAction("mnuIntervals", item.caption, true, item.index);
        mnuIntervals_[item.index] = action;
        ConnectClick(action, this, [this, i = item.index] { mnuIntervals_Click(i); });
    }
    mnuIntervals_[kByDistanceItem]->setChecked(true);

    mnuDataFilePath_ = newAction("mnuDataFilePath", "Data File Path");
    ConnectClick(mnuDataFilePath_, this, [this] { mnuDataFilePath_Click(); });
    mnuCOMnumber_ = newAction("mnuCOMnumber", "Logger COM Port Number");
    ConnectClick(mnuCOMnumber_, this, [this] { mnuCOMnumber_Click(); });
    for (const MenuItem& item : kComSpeedItems) {
        QAction* action = newAction("mnuCOMspeedIndex", item.caption, true, item.index);
        mnuCOMspeedIndex_[item.index] = action;
        ConnectClick(action, this, [this, i = item.index] { mnuCOMspeedIndex_Click(i); });
    }

    mnuSPhelp_ = newAction("mnuSPhelp", "Special Purpose Descriptions");
    ConnectClick(mnuSPhelp_, this, [this] { mnuSPhelp_Click(); });
    mnuDataReduction9600_ = newAction("mnuDataReduction9600", "Data Reduction for 9600 baud", true);
    ConnectClick(mnuDataReduction9600_, this, [this] { mnuDataReduction9600_Click(); });
    mnuEnableSound4800_ = newAction("mnuEnableSound4800", "Enable Sound for 4800 baud", true);
    ConnectClick(mnuEnableSound4800_, this, [this] { mnuEnableSound4800_Click(); });
    mnuEnableSound9600_ = newAction("mnuEnableSound9600", "Enable Sound for 9600 baud", true);
    ConnectClick(mnuEnableSound9600_, this, [this] { mnuEnableSound9600_Click(); });
    mnuEnableSound19200_ = newAction("mnuEnableSound19200", "Enable Sound for 19200 baud", true);
    ConnectClick(mnuEnableSound19200_, this, [this] { mnuEnableSound19200_Click(); });
    mnuSaveSettings_ = newAction("mnuSaveSettings", "Save Settings");
    ConnectClick(mnuSaveSettings_, this, [this] { mnuSaveSettings_Click(); });
    mnuWriteGpx_ = newAction("mnuWriteGpx", "Also Write &GPX File", true);
    ConnectClick(mnuWriteGpx_, this, [this] { mnuWriteGpx_Click(); });
    mnuAcceptOtherTalkers_ =
        newAction("mnuAcceptOtherTalkers", "Accept &Other Talkers (GN, GL, GA, GB, BD)", true);
    ConnectClick(mnuAcceptOtherTalkers_, this, [this] { mnuAcceptOtherTalkers_Click(); });

    mnuAbout_ = newAction("mnuAbout", "About");
    ConnectClick(mnuAbout_, this, [this] { mnuAbout_Click(); });
    mnuHelpDoc_ = newAction("mnuHelpDoc", "Description");
    ConnectClick(mnuHelpDoc_, this, [this] { mnuHelpDoc_Click(); });
    mnuHelpDoc2_ = newAction("mnuHelpDoc2", "File Samples");
    ConnectClick(mnuHelpDoc2_, this, [this] { mnuHelpDoc2_Click(); });
}

void MainWindow::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    mnuFile_ = NewMenu(bar->addMenu(tr("&File")), "mnuFile");
    mnuFile_->addAction(mnuOpen_);
    mnuFile_->addAction(mnuExit_);

    // "&Create Files" stands on the menu bar itself and runs when clicked.
    bar->addAction(mnuConvert_);

    mnuTimeZoneMain_ = NewMenu(bar->addMenu(tr("&Time Zone")), "mnuTimeZoneMain");
    for (const MenuItem& item : kTimeZoneItems) {
        mnuTimeZoneMain_->addAction(mnuTimeZone_[item.index]);
    }

    mnuSettings_ = NewMenu(bar->addMenu(tr("&Settings")), "mnuSettings");
    QMenu* units = NewMenu(mnuSettings_->addMenu(tr("Distance Units")), "mnuUnitsMain");
    for (const MenuItem& item : kDistanceUnitItems) {
        units->addAction(mnuDistanceUnits_[item.index]);
    }
    QMenu* marking = NewMenu(mnuSettings_->addMenu(tr("Way Point Marking")), "mnuMarking");
    marking->addAction(mnuIntervalOnly_);
    marking->addAction(mnuAtStops_);
    QMenu* intervals = NewMenu(mnuSettings_->addMenu(tr("Way Point Intervals")), "mnuWayPoints");
    for (const MenuItem& item : kIntervalItems) {
        intervals->addAction(mnuIntervals_[item.index]);
    }
    mnuSettings_->addAction(mnuDataFilePath_);
    mnuSettings_->addAction(mnuCOMnumber_);
    QMenu* speed = NewMenu(mnuSettings_->addMenu(tr("Logger COM Port Speed")), "mnuCOMspeed");
    for (const MenuItem& item : kComSpeedItems) {
        speed->addAction(mnuCOMspeedIndex_[item.index]);
    }
    QMenu* special = NewMenu(mnuSettings_->addMenu(tr("Special Purpose")), "mnuSP");
    special->addAction(mnuSPhelp_);
    special->addAction(mnuDataReduction9600_);
    special->addAction(mnuEnableSound4800_);
    special->addAction(mnuEnableSound9600_);
    special->addAction(mnuEnableSound19200_);
    mnuSettings_->addAction(mnuSaveSettings_);
    mnuSettings_->addAction(mnuWriteGpx_);
    mnuSettings_->addAction(mnuAcceptOtherTalkers_);

    helpMnu_ = NewMenu(bar->addMenu(tr("&Help")), "helpMnu");
    helpMnu_->addAction(mnuAbout_);
    helpMnu_->addAction(mnuHelpDoc_);
    helpMnu_->addAction(mnuHelpDoc2_);
}

// Time zone: a fixed zone sets its offset (the index negated); item 1 asks for
// one. A typed offset that does not fit 16 bits keeps the offset in force and
// the mark that shows it.
void MainWindow::mnuTimeZone_Click(std::int16_t Index) {
    if (Item(mnuTimeZone_, Index) == nullptr) {
        return;
    }
    ClearMarks(mnuTimeZone_, kTimeZoneItems);
    if (Index == kTypedOffsetItem) {
        const QString reply = dialogs_.Prompt(QStringLiteral("Use an offset from UTC"),
                                              QStringLiteral("(-12 to +13 hours:)"),
                                              QString::number(config_.TimeZoneOffset));
        const std::optional<std::int16_t> offset = ReplyInt16(reply);
        if (!offset) {
            SetMark(mnuTimeZone_, TimeZoneItemFor(config_.TimeZoneOffset), true);
            return;
        }
        config_.TimeZoneOffset = *offset;
        SetMark(mnuTimeZone_, kTypedOffsetItem, true);
    } else {
        SetMark(mnuTimeZone_, Index, true);
        config_.TimeZoneOffset = static_cast<std::int16_t>(Index > 0 ? -Index : Index);
    }
}

void MainWindow::mnuDistanceUnits_Click(std::int16_t Index) {
    if (Item(mnuDistanceUnits_, Index) == nullptr) {
        return;
    }
    ClearMarks(mnuDistanceUnits_, kDistanceUnitItems);
    SetMark(mnuDistanceUnits_, Index, true);
    config_.DistanceUnits = Index;
    SpeedFactor_ = SpeedFactorFor(Index);
}

void MainWindow::mnuIntervalOnly_Click() {
    mnuIntervalOnly_->setChecked(true);
    mnuAtStops_->setChecked(false);
}

void MainWindow::mnuAtStops_Click() {
    mnuIntervalOnly_->setChecked(false);
    mnuAtStops_->setChecked(true);
}

// The interval items' marks as the configuration shows them: two separate
// tests, so both values nonzero marks both and both zero marks neither.
void MainWindow::CheckIntervalsFromConfig() {
    ClearMarks(mnuIntervals_, kIntervalItems);
    if (config_.IntervalByTime != 0) {
        mnuIntervals_[kByTimeItem]->setChecked(true);
    }
    if (config_.IntervalValue != 0) {
        mnuIntervals_[kByDistanceItem]->setChecked(true);
    }
}

void MainWindow::mnuIntervals_Click(std::int16_t Index) {
    if (Index > kByTimeItem) {
        return;
    }
    ClearMarks(mnuIntervals_, kIntervalItems);
    SetMark(mnuIntervals_, Index, true);
    if (Index <= kByDistanceItem) {
        config_.IntervalByTime = 0;
        const QString reply = dialogs_.Prompt(QStringLiteral("Enter the number of Seconds."),
                                              QStringLiteral("Distance Value"),
                                              GeneralNumberText(config_.IntervalValue));
        config_.IntervalValue = ReplyNumber(reply);
    } else {
        const QString reply =
            dialogs_.Prompt(QStringLiteral("Enter the number of Minutes. 60 is Maximum"),
                            QStringLiteral("Time Value"), QString::number(config_.IntervalByTime));
        const std::optional<std::int16_t> minutes = ReplyInt16(reply);
        if (!minutes) {
            // Keeps the interval in force, and the marks that show it.
            CheckIntervalsFromConfig();
            return;
        }
        config_.IntervalByTime = std::max<std::int16_t>(*minutes, 1);
        config_.IntervalValue = 0;
    }
}

void MainWindow::mnuCOMnumber_Click() {
    const QString reply = dialogs_.Prompt(QStringLiteral("Enter the COM port number."),
                                          QStringLiteral("Port Number:"),
                                          QString::fromStdString(config_.ComPortNumber));
    config_.ComPortNumber = GeneralNumberText(ReplyNumber(reply)).toStdString();
}

void MainWindow::mnuCOMspeedIndex_Click(std::int16_t Index) {
    if (Item(mnuCOMspeedIndex_, Index) == nullptr) {
        return;
    }
    ClearMarks(mnuCOMspeedIndex_, kComSpeedItems);
    SetMark(mnuCOMspeedIndex_, Index, true);
    config_.ComSpeedIndex = std::to_string(Index);
}

void MainWindow::mnuDataReduction9600_Click() {
    Toggle(mnuDataReduction9600_, config_.DataReduction9600);
}

void MainWindow::mnuEnableSound4800_Click() {
    Toggle(mnuEnableSound4800_, config_.EnableSound4800);
}

void MainWindow::mnuEnableSound9600_Click() {
    Toggle(mnuEnableSound9600_, config_.EnableSound9600);
}

void MainWindow::mnuEnableSound19200_Click() {
    Toggle(mnuEnableSound19200_, config_.EnableSound19200);
}

// Whether conversions read $GNRMC, $GLGSA, ... as well as the GP talker;
// "Save Settings" keeps it in our own settings file.
void MainWindow::mnuAcceptOtherTalkers_Click() {
    mnuAcceptOtherTalkers_->setChecked(!mnuAcceptOtherTalkers_->isChecked());
}

void MainWindow::mnuSPhelp_Click() {
    frmSPhelp_.Show();
}

} // namespace zum
