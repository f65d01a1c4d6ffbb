#include "ui/window/main_window.hpp"

#include "convert/conversion_run.hpp"
#include "platform/dialogs.hpp"
#include "platform/twips.hpp"
#include "settings/settings_file.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/help/help_texts.hpp"
#include "ui/window/menu_values.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <string>
#include <utility>

namespace zum {

namespace {

// Client area and the two boxes, in twips.
constexpr int kClientWidth = 7200;
constexpr int kClientHeight = 5595;
constexpr int kCopyrightSignPosition = 10; // the notice's 11th character

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QString PositionText(const ConversionState& state) {
    const std::string_view lat = state.LastLatText.view();
    const std::string_view lon = state.LastLonText.view();
    QString text = QString::fromLatin1(lat.data(), static_cast<qsizetype>(lat.size()));
    text += QLatin1Char(',');
    text += QString::fromLatin1(lon.data(), static_cast<qsizetype>(lon.size()));
    return text;
}

} // namespace

// The settings a run reads for each sentence, answered from the window's
// marks and configuration as they stand at that moment.
class MainWindow::MenuSettings final : public SettingsSource {
public:
    explicit MenuSettings(const MainWindow& window) : window_(window) {}
    [[nodiscard]] LiveSettings Current() const override { return window_.CurrentSettings(); }

private:
    const MainWindow& window_;
};

// Keeps the window alive during a run: every few lines it looks at the clock,
// and when enough time has passed it shows the last position and handles the
// pending events (menu commands, repaints, a close). It stops the run once
// the window is closing.
class MainWindow::RunPacer final : public RunObserver {
public:
    explicit RunPacer(MainWindow& window)
        : window_(window), lastEvents_(std::chrono::steady_clock::now()) {}

    bool LineDone(const ConversionState& state) override {
        if (++lines_ >= window_.eventEveryLines_) {
            lines_ = 0;
            const auto now = std::chrono::steady_clock::now();
            if (now - lastEvents_ >= window_.eventGap_) {
                if (!state.LastLatText.empty() || !state.LastLonText.empty()) {
                    const QString position = PositionText(state);
                    if (position != window_.txtStatus_->text()) {
                        window_.SetStatus(position);
                    }
                }
                QCoreApplication::processEvents();
                lastEvents_ = std::chrono::steady_clock::now();
            }
        }
        return !window_.stopRequested_;
    }

private:
    MainWindow& window_;
    int lines_ = 0;
    std::chrono::steady_clock::time_point lastEvents_;
};

MainWindow::MainWindow(Dialogs& dialogs, std::filesystem::path settingsPath, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), settingsPath_(std::move(settingsPath)),
      ownSettingsPath_(DefaultOwnSettingsPath()),
      frmHelp_(QStringLiteral("frmHelp"), QStringLiteral("Description"), &DescriptionLines),
      frmHelp2_(QStringLiteral("frmHelp2"), QStringLiteral("Data File Examples"), &FileSampleLines),
      frmSPhelp_(QStringLiteral("frmSPhelp"), QStringLiteral("Special Purpose Selections"),
                 &SpecialPurposeLines) {
    setObjectName(QStringLiteral("frmForm1"));
    setWindowTitle(QStringLiteral("ZUM-POINTS"));
    createActions();
    createMenus();
    createControls();
    Form_Load();
}

MainWindow::~MainWindow() {
    // The panel works on widgets of the client area; it goes before them.
    delete panel_;
}

void MainWindow::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client);

    txtStatus_ = new QLineEdit(client);
    txtStatus_->setObjectName(QStringLiteral("txtStatus"));
    txtStatus_->setAccessibleName(QStringLiteral("Status"));
    txtStatus_->setReadOnly(true);
    txtStatus_->setGeometry(TwipsRect(120, 120, 6975, 285, client));

    txtCopyright_ = new QLineEdit(client);
    txtCopyright_->setObjectName(QStringLiteral("txtCopyright"));
    txtCopyright_->setAccessibleName(QStringLiteral("Copyright notice"));
    txtCopyright_->setReadOnly(true);
    txtCopyright_->setGeometry(TwipsRect(120, 5160, 6975, 405, client));
    txtCopyright_->setText(CopyrightNoticeTemplate());

    panel_ = new FilePanel(
        client, config_, dialogs_, [this](const QString& text) { SetStatus(text); }, this);

    QList<QWidget*> order = panel_->TabOrder();
    order << txtCopyright_ << txtStatus_;
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }

    // The controls keep their design positions; the window opens at the
    // design size of its client area.
    const QSize clientSize(TwipsToPixels(kClientWidth, client),
                           TwipsToPixels(kClientHeight, client));
    client->setMinimumSize(clientSize);
    resize(clientSize.width(), clientSize.height() + menuBar()->sizeHint().height());
}

// Start-up: build constants, copyright sign, defaults, settings file and the
// marks that show it, the panel at the data folder, a clear conversion state.
void MainWindow::Form_Load() {
    config_.CompiledDate = kCompiledDate;
    config_.ProgramVersion = kProgramVersion;

    QString notice = txtCopyright_->text();
    if (notice.size() > kCopyrightSignPosition) {
        notice[kCopyrightSignPosition] = QChar(0x00A9);
        txtCopyright_->setText(notice);
    }

    SetConfigurationDefaults(config_);
    LoadSettings();

    if (config_.DataReduction9600 != 0) {
        mnuDataReduction9600_->setChecked(true);
    }
    if (config_.EnableSound4800 != 0) {
        mnuEnableSound4800_->setChecked(true);
    }
    if (config_.EnableSound9600 != 0) {
        mnuEnableSound9600_->setChecked(true);
    }
    if (config_.EnableSound19200 != 0) {
        mnuEnableSound19200_->setChecked(true);
    }

    for (const MenuItem& item : kComSpeedItems) {
        mnuCOMspeedIndex_[item.index]->setChecked(false);
    }
    std::optional<std::int16_t> speed = ComSpeedItemFor(config_.ComSpeedIndex);
    if (!speed) {
        // An edited file may name a speed the menu does not have.
        speed = kDefaultComSpeedItem;
        config_.ComSpeedIndex = std::to_string(kDefaultComSpeedItem);
    }
    mnuCOMspeedIndex_[*speed]->setChecked(true);

    panel_->PlaceAtDataFolder();
    state_.Clear();
    SetStatus(QStringLiteral("Select drive, folder and file."));
}

void MainWindow::LoadSettings() {
    ReadSettingsFile(config_, settingsPath_);
    // Like the shared file, a missing or unreadable one of our own is
    // skipped and leaves its items off.
    OwnSettings own;
    ReadOwnSettings(own, ownSettingsPath_);
    mnuWriteGpx_->setChecked(own.writeGpx);

    mnuIntervalOnly_->setChecked(false);
    mnuAtStops_->setChecked(false);
    for (const MenuItem& item : kTimeZoneItems) {
        mnuTimeZone_[item.index]->setChecked(false);
    }
    mnuTimeZone_[TimeZoneItemFor(config_.TimeZoneOffset)]->setChecked(true);
    CheckIntervalsFromConfig();
    // A unit the menu does not have falls back to the default unit.
    mnuDistanceUnits_Click(DistanceUnitsItemFor(config_.DistanceUnits));
    if (config_.MarkAtStops != 0) {
        mnuAtStops_->setChecked(true);
    } else {
        mnuIntervalOnly_->setChecked(true);
    }
}

void MainWindow::mnuSaveSettings_Click() {
    if (mnuIntervalOnly_->isChecked()) {
        config_.MarkAtStops = 0;
    } else if (mnuAtStops_->isChecked()) {
        config_.MarkAtStops = 1;
    }
    std::string message;
    if (!WriteSettingsFile(config_, settingsPath_, message)) {
        dialogs_.Message(FromLocal(message));
    }
    // The other items of our own file keep their stored values.
    OwnSettings own;
    ReadOwnSettings(own, ownSettingsPath_);
    own.writeGpx = mnuWriteGpx_->isChecked();
    if (!WriteOwnSettings(own, ownSettingsPath_, message)) {
        dialogs_.Message(FromLocal(message));
    }
}

void MainWindow::mnuWriteGpx_Click() {
    mnuWriteGpx_->setChecked(!mnuWriteGpx_->isChecked());
}

void MainWindow::mnuExit_Click() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// Closing never saves. A run in progress stops at its next line and leaves
// the previous outputs as they were.
void MainWindow::Form_Unload() {
    if (running_) {
        stopRequested_ = true;
    }
}

void MainWindow::mnuConvert_Click() {
    const QString name = panel_->NmeaFileName();
    if (name.isEmpty()) {
        dialogs_.Message(QStringLiteral("Select NMEA file first."));
        panel_->mnuOpen_Click();
        return;
    }
    const QByteArray encodedName = QFile::encodeName(name);
    const std::string input = FormInputPath(
        config_.DataFilePath,
        std::string_view(encodedName.constData(), static_cast<std::size_t>(encodedName.size())));
    const QString cannotOpen = QStringLiteral("File ") + name + QStringLiteral("can't be openned.");
    if (running_) {
        // The log is already open for the run in progress, which goes on.
        dialogs_.Message(cannotOpen);
        return;
    }

    struct RunningFlag {
        MainWindow& window;
        explicit RunningFlag(MainWindow& w) : window(w) {
            window.running_ = true;
            window.stopRequested_ = false;
        }
        ~RunningFlag() { window.running_ = false; }
    };

    RunResult result;
    {
        const RunningFlag flag(*this);
        const MenuSettings settings(*this);
        RunPacer pacer(*this);
        ConversionJob job{input, input};
        job.writeGpx = mnuWriteGpx_->isChecked();
        result = ConvertLog(job, settings, state_, &pacer);
    }

    switch (result.status) {
    case RunStatus::Done:
        SetStatus(QStringLiteral("DONE"));
        if (result.gpx && result.gpx->leftOut != 0) {
            dialogs_.Message(QStringLiteral("%1 points outside latitude -90..90 or longitude "
                                            "-180..<180 were left out of %2.gpx.")
                                 .arg(result.gpx->leftOut)
                                 .arg(name));
        }
        break;
    case RunStatus::InputNotOpened:
        dialogs_.Message(cannotOpen);
        break;
    case RunStatus::InputFailed:
    case RunStatus::OutputFailed:
        dialogs_.Message(FromLocal(result.message));
        break;
    case RunStatus::Stopped:
        break; // the window is closing
    }
}

LiveSettings MainWindow::CurrentSettings() const {
    LiveSettings settings;
    settings.markAtStops = mnuAtStops_->isChecked();
    settings.intervalByTime = config_.IntervalByTime;
    settings.intervalValue = config_.IntervalValue;
    settings.timeZoneOffset = config_.TimeZoneOffset;
    settings.speedFactor = SpeedFactor_;
    return settings;
}

void MainWindow::SetEventPacing(int everyLines, std::chrono::milliseconds gap) {
    eventEveryLines_ = everyLines < 1 ? 1 : everyLines;
    eventGap_ = gap;
}

void MainWindow::SetStatus(const QString& text) {
    txtStatus_->setText(text);
}

void MainWindow::mnuOpen_Click() {
    panel_->mnuOpen_Click();
}

void MainWindow::mnuDataFilePath_Click() {
    panel_->mnuDataFilePath_Click();
}

void MainWindow::mnuAbout_Click() {
    dialogs_.Message(AboutMessage(config_));
    SetStatus(CopyrightLine());
}

void MainWindow::mnuHelpDoc_Click() {
    frmHelp_.Show();
}

void MainWindow::mnuHelpDoc2_Click() {
    frmHelp2_.Show();
}

} // namespace zum
