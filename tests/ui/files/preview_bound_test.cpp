// The preview's memory stays bounded on a long drive: a 200 MB log made by
// the project's own generator at test time, converted with the preview fed
// as the window feeds it.
#include "convert/conversion_run.hpp"
#include "drive_log.hpp"
#include "ui/files/track_preview.hpp"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace zum::testing {
namespace {

constexpr std::uint64_t kLogBytes = 200'000'000;

// Feeds the preview as the window's run does, and checks its bound at every
// progress report.
class BoundedFeed final : public RunObserver {
public:
    explicit BoundedFeed(TrackPreview& preview) : preview_(preview) {}
    bool LineDone(const ConversionState& /*state*/) override { return true; }
    void RecordWritten(DrawFileKind kind, const ConversionState& state) override {
        preview_.AddRecord(kind, state);
        if (kind == DrawFileKind::Draw) {
            last_ = {state.LastLatValue, state.LastLonValue};
            first_ = points_++ == 0 ? last_ : first_;
        }
    }
    void BytesRead(std::uint64_t /*read*/, std::uint64_t /*total*/) override {
        ++reports_;
        within_ = within_ && Within();
    }
    [[nodiscard]] bool Within() const {
        return preview_.Track().capacity() <= TrackPreview::kMaxTrackPoints &&
               preview_.Markers().capacity() <= TrackPreview::kMaxMarkers &&
               preview_.Waypoints().capacity() <= TrackPreview::kMaxWaypoints;
    }

    TrackPreview& preview_;
    std::uint64_t points_ = 0, reports_ = 0;
    GeoPoint first_, last_;
    bool within_ = true;
};

TEST(PreviewBound, A200MBLogKeepsAFixedNumberOfPoints) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::filesystem::path log =
        folder.filePath(QStringLiteral("driveNMEA.TXT")).toStdString();
    {
        std::ofstream out(log, std::ios::binary);
        bench::DriveLog drive(bench::DriveLogOptions{});
        std::string chunk;
        for (std::uint64_t written = 0; written < kLogBytes; written += chunk.size()) {
            chunk.clear();
            while (chunk.size() < (1u << 20)) {
                drive.AppendSecond(chunk);
            }
            out << chunk;
        }
        ASSERT_TRUE(out.flush());
    }

    TrackPreview preview;
    BoundedFeed feed(preview);
    ConversionState state;
    const RunResult result = ConvertLog({log, folder.filePath(QStringLiteral("out")).toStdString()},
                                        FixedSettings(LiveSettings{}), state, &feed);
    ASSERT_EQ(result.status, RunStatus::Done) << result.message;
    std::filesystem::remove(log);

    // Many more points than the bound were offered; it held throughout.
    EXPECT_GT(result.records.draw, 4 * TrackPreview::kMaxTrackPoints);
    EXPECT_GT(result.records.fix, 2 * TrackPreview::kMaxMarkers);
    EXPECT_GT(feed.reports_, 100u);
    EXPECT_TRUE(feed.within_ && feed.Within());
    EXPECT_GT(preview.Track().size(), TrackPreview::kMaxTrackPoints / 4);
    EXPECT_FALSE(preview.Waypoints().empty());
    // The ends are kept exactly.
    const auto same = [](GeoPoint a, GeoPoint b) { return a.lat == b.lat && a.lon == b.lon; };
    EXPECT_TRUE(same(preview.Start(), feed.first_) && same(preview.End(), feed.last_));
}

} // namespace
} // namespace zum::testing
