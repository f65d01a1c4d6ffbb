#pragma once

#include "convert/conversion_state.hpp"
#include "convert/live_settings.hpp"
#include "settings/configuration.hpp"
#include "settings/own_settings.hpp"
#include "ui/help/list_window.hpp"

#include <QMainWindow>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>

class QAction;
class QLineEdit;
class QMenu;

namespace zum {

class Dialogs;
class FilePanel;
struct RunResult;

// The ZUM-POINTS window: the menu tree, the status and notice boxes and the
// file panel. It owns the configuration and the conversion state for as long
// as it lives, and runs conversions on its own thread, handling its pending
// events while a run goes on so that the menus stay usable.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Starts up at once from the settings file at `settingsPath`.
    MainWindow(Dialogs& dialogs, std::filesystem::path settingsPath, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Menu commands, named after their menu items. The control arrays' handlers
    // take the element's index.
    void mnuConvert_Click();
    void mnuSaveSettings_Click();
    void mnuWriteGpx_Click();
    void mnuExit_Click();
    void mnuTimeZone_Click(std::int16_t Index);
    void mnuDistanceUnits_Click(std::int16_t Index);
    void mnuIntervalOnly_Click();
    void mnuAtStops_Click();
    void mnuIntervals_Click(std::int16_t Index);
    void mnuCOMnumber_Click();
    void mnuCOMspeedIndex_Click(std::int16_t Index);
    void mnuDataReduction9600_Click();
    void mnuEnableSound4800_Click();
    void mnuEnableSound9600_Click();
    void mnuEnableSound19200_Click();
    void mnuSPhelp_Click();
    void mnuAcceptOtherTalkers_Click();
    void mnuOpen_Click();
    void mnuDataFilePath_Click();
    void mnuAbout_Click();
    void mnuHelpDoc_Click();
    void mnuHelpDoc2_Click();

    // Selects the log at `path` as picking it in the panel does (see
    // FilePanel::SelectLog); a folder or a missing file only gets a status
    // text. Nothing is saved. The start-up argument and a drop come here.
    bool OpenLog(const QString& path);

    // What a conversion reads for each sentence: the marking check mark, the
    // interval, the time zone and the speed factor in force right now.
    [[nodiscard]] LiveSettings CurrentSettings() const;

    [[nodiscard]] const Configuration& Config() const { return config_; }
    [[nodiscard]] const ConversionState& State() const { return state_; }
    [[nodiscard]] double SpeedFactor() const { return SpeedFactor_; }
    [[nodiscard]] bool RunInProgress() const { return running_; }
    [[nodiscard]] FilePanel& Panel() { return *panel_; }

    // How often a run handles pending events: the clock is looked at every
    // `everyLines` lines, and events are handled when `gap` has passed since
    // they last were. Tests use (1, 0) to handle them after every line.
    void SetEventPacing(int everyLines, std::chrono::milliseconds gap);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class RunPacer;
    class MenuSettings;

    void createActions();
    void createMenus();
    void createControls();

    void Form_Load();
    void LoadSettings();
    void Form_Unload();
    void SetStatus(const QString& text);
    void CheckIntervalsFromConfig();
    void OfferOtherTalkers(const RunResult& result);

    QAction* newAction(const char* name, const char* caption, bool checkable = false,
                       int index = -1);

    Dialogs& dialogs_;
    std::filesystem::path settingsPath_;
    std::filesystem::path ownSettingsPath_; // zum-points.conf, our settings alone
    Configuration config_;
    ConversionState state_;
    double SpeedFactor_ = 0.0; // knots to the chosen unit; set by the unit command

    bool running_ = false;
    bool stopRequested_ = false;
    int eventEveryLines_ = 64;
    std::chrono::milliseconds eventGap_{10};

    QLineEdit* txtStatus_ = nullptr;
    QLineEdit* txtCopyright_ = nullptr;
    FilePanel* panel_ = nullptr;

    // Menu bar items and submenus.
    QMenu* mnuFile_ = nullptr;
    QMenu* mnuTimeZoneMain_ = nullptr;
    QMenu* mnuSettings_ = nullptr;
    QMenu* helpMnu_ = nullptr;

    QAction* mnuOpen_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QAction* mnuConvert_ = nullptr;
    // Control arrays, addressed by their own indices; the gaps stay empty.
    std::array<QAction*, 9> mnuTimeZone_{};
    std::array<QAction*, 3> mnuDistanceUnits_{};
    std::array<QAction*, 2> mnuIntervals_{};
    std::array<QAction*, 20> mnuCOMspeedIndex_{};
    QAction* mnuIntervalOnly_ = nullptr;
    QAction* mnuAtStops_ = nullptr;
    QAction* mnuDataFilePath_ = nullptr;
    QAction* mnuCOMnumber_ = nullptr;
    QAction* mnuSPhelp_ = nullptr;
    QAction* mnuDataReduction9600_ = nullptr;
    QAction* mnuEnableSound4800_ = nullptr;
    QAction* mnuEnableSound9600_ = nullptr;
    QAction* mnuEnableSound19200_ = nullptr;
    QAction* mnuSaveSettings_ = nullptr;
    QAction* mnuWriteGpx_ = nullptr;
    QAction* mnuAcceptOtherTalkers_ = nullptr;
    QAction* mnuAbout_ = nullptr;
    QAction* mnuHelpDoc_ = nullptr;
    QAction* mnuHelpDoc2_ = nullptr;

    ListWindowSlot frmHelp_;
    ListWindowSlot frmHelp2_;
    ListWindowSlot frmSPhelp_;
};

} // namespace zum
