#include "ui/window/main_window.hpp"

#include "convert/conversion_run.hpp"
#include "platform/dialogs.hpp"
#include "platform/twips.hpp"
#include "settings/settings_file.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/files/track_picture.hpp"
#include "ui/help/help_texts.hpp"
#include "ui/window/menu_values.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
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

// The counts of a run, in the words zum-convert prints them.
QString CountsCaption(const QString& name, const RecordCounts& r) {
    return QStringLiteral("%1: %2 track points, %3 time, %4 satellite, %5 speed and %6 2-D "
                          "waypoints")
        .arg(name)
        .arg(r.draw)
        .arg(r.time)
        .arg(r.sat)
        .arg(r.speed)
        .arg(r.fix);
}

// The window's icon, drawn for this program, in the sizes it comes in.
QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/zum-points-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

} // namespace

// The settings a run reads for each sentence, answered from the window's
// marks and configuration. They change only by a menu command, and menu
// commands run only while the run hands events to the window; so they are
// read again after each such turn (Refresh) rather than for every sentence.
class MainWindow::MenuSettings final : public SettingsSource {
public:
    explicit MenuSettings(const MainWindow& window)
        : window_(window), current_(window.CurrentSettings()) {}
    [[nodiscard]] LiveSettings Current() const override { return current_; }
    void Refresh() { current_ = window_.CurrentSettings(); }

private:
    const MainWindow& window_;
    LiveSettings current_;
};

// Keeps the window alive during a run: every few lines it looks at the clock,
// and when enough time has passed it shows the last position, lets the
// picture show the track so far and the share read, and handles the pending
// events (menu commands, repaints, a close). It stops the run once the window
// is closing. What the run writes goes into the picture's preview as it comes.
class MainWindow::RunPacer final : public RunObserver {
public:
    RunPacer(MainWindow& window, MenuSettings& settings, TrackPicture& picture)
        : window_(window), settings_(settings), picture_(picture), preview_(picture.Preview()),
          lastEvents_(std::chrono::steady_clock::now()), lastPaint_(lastEvents_) {}

    void RecordWritten(DrawFileKind kind, const ConversionState& state) override {
        preview_.AddRecord(kind, state);
    }

    void BytesRead(std::uint64_t read, std::uint64_t total) override {
        share_ = total > 0 ? static_cast<double>(read) / static_cast<double>(total) : 0.0;
    }

    bool LineDone(const ConversionState& state) override {
        if (++lines_ >= window_.eventEveryLines_) {
            lines_ = 0;
            const auto now = std::chrono::steady_clock::now();
            if (now - lastEvents_ >= window_.eventGap_) {
                // The position is shown at every fourth turn: more often than
                // the eye can follow costs the run for nothing.
                if ((!state.LastLatText.empty() || !state.LastLonText.empty()) &&
                    now - lastStatus_ >= 4 * window_.eventGap_) {
                    lastStatus_ = now;
                    const QString position = PositionText(state);
                    if (position != window_.txtStatus_->text()) {
                        window_.SetStatus(position);
                    }
                }
                // The picture is drawn again when both the repaint gap and
                // 40 times what its last drawing took have passed, so that
                // however long the track, drawing it costs the run at most a
                // fortieth of its time.
                picture_.SetProgress(share_);
                const bool repaint = now - lastPaint_ >= std::max(kRepaintGap, 40 * paintCost_);
                if (repaint) {
                    picture_.Grown();
                }
                QCoreApplication::processEvents();
                settings_.Refresh();
                lastEvents_ = std::chrono::steady_clock::now();
                if (repaint) {
                    paintCost_ = lastEvents_ - now;
                    lastPaint_ = lastEvents_;
                }
            }
        }
        return !window_.stopRequested_;
    }

private:
    // Drawing the whole track costs far more than handling events; the
    // picture follows the run at a pace the eye still sees as smooth.
    static constexpr std::chrono::steady_clock::duration kRepaintGap =
        std::chrono::milliseconds(100);

    MainWindow& window_;
    MenuSettings& settings_;
    TrackPicture& picture_;
    TrackPreview& preview_;
    int lines_ = 0;
    double share_ = 0;
    std::chrono::steady_clock::time_point lastEvents_;
    std::chrono::steady_clock::time_point lastPaint_;
    std::chrono::steady_clock::time_point lastStatus_;
    std::chrono::steady_clock::duration paintCost_{};
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
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
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
    mnuAcceptOtherTalkers_->setChecked(own.acceptOtherTalkers);

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
    own.acceptOtherTalkers = mnuAcceptOtherTalkers_->isChecked();
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

    TrackPicture& picture = panel_->Picture();
    picture.BeginRun(name, config_.DistanceUnits);
    RunResult result;
    {
        const RunningFlag flag(*this);
        MenuSettings settings(*this);
        RunPacer pacer(*this, settings, picture);
        ConversionJob job{input, input};
        job.writeGpx = mnuWriteGpx_->isChecked();
        job.talkers = mnuAcceptOtherTalkers_->isChecked() ? TalkerMode::Any : TalkerMode::GpOnly;
        result = ConvertLog(job, settings, state_, &pacer);
    }

    if (result.status == RunStatus::Done) {
        picture.EndRun(CountsCaption(name, result.records));
    } else {
        picture.FailRun();
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
        OfferOtherTalkers(result);
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

// After a run that passed over position reports of other talkers: says how
// many, and on Yes ticks "Accept Other Talkers" and converts again. On No the
// outputs stay as they are.
void MainWindow::OfferOtherTalkers(const RunResult& result) {
    if (result.skippedPositions == 0) {
        return;
    }
    const QString question =
        QStringLiteral("%1 position report%2 from other talkers (%3) skipped.\n\n"
                       "Accept other talkers and convert again?")
            .arg(result.skippedPositions)
            .arg(result.skippedPositions == 1 ? QString() : QStringLiteral("s"))
            .arg(QString::fromLatin1(result.skippedNames.c_str()));
    if (dialogs_.Ask(question)) {
        mnuAcceptOtherTalkers_->setChecked(true);
        mnuConvert_Click();
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

bool MainWindow::OpenLog(const QString& path) {
    const QFileInfo log(path);
    if (log.isDir()) {
        SetStatus(QStringLiteral("A folder is not a log: ") + QDir::toNativeSeparators(path));
        return false;
    }
    if (!log.isFile()) {
        SetStatus(QStringLiteral("No such file: ") + QDir::toNativeSeparators(path));
        return false;
    }
    return panel_->SelectLog(log.absoluteFilePath());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

// A dropped log is opened like an argument. During a run a drop changes
// nothing: the run goes on with the log it has, and the status box keeps
// showing where it is.
void MainWindow::dropEvent(QDropEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1) {
        SetStatus(QStringLiteral("Drop one log file at a time."));
    } else if (!urls.front().isLocalFile()) {
        SetStatus(QStringLiteral("Only a file on this computer can be opened."));
    } else {
        OpenLog(urls.front().toLocalFile());
    }
    event->acceptProposedAction();
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
