#pragma once

#include "ui/files/track_preview.hpp"

#include <QString>
#include <QWidget>
#include <cstdint>

class QPainter;

namespace zum {

// Picture1: what the window shows where the panel stands while the panel is
// closed. Until the first run it shows a sample map drawn in code, marked as
// a sample; from then on a preview of what the last run wrote: the track,
// the time waypoints with their labels, the 2-D markers, the start and end,
// and a scale bar. While a run goes on the track grows and a thin bar along
// the bottom edge shows the share of the log read.
class TrackPicture : public QWidget {
    Q_OBJECT
public:
    enum class Shows { Sample, Running, Done, Failed };

    explicit TrackPicture(QWidget* parent);

    // A run of `fileName` begins: the preview empties and the progress is 0,
    // shown from the next Grown() or the end of the run on.
    // `distanceUnits` is the menu's unit item (0 knots, 1 km/h, 2 mph); the
    // scale bar counts in its distance unit.
    void BeginRun(const QString& fileName, std::int16_t distanceUnits);
    // What the run writes goes here; Grown() asks for a repaint.
    TrackPreview& Preview() { return preview_; }
    void Grown() { update(); }
    // The share of the log read, 0 to 1; shown from the next repaint on.
    void SetProgress(double share);
    // The run wrote its files; `caption` is the one-line summary of its counts.
    void EndRun(const QString& caption);
    // The run ended without files.
    void FailRun();

    [[nodiscard]] Shows Showing() const { return shows_; }
    [[nodiscard]] int ProgressPercent() const { return percent_; }
    [[nodiscard]] const TrackPreview& Preview() const { return preview_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintSample(QPainter& painter, const QRectF& area) const;
    void PaintPreview(QPainter& painter, const QRectF& area) const;

    Shows shows_ = Shows::Sample;
    TrackPreview preview_;
    QString fileName_;
    QString caption_;
    std::int16_t distanceUnits_ = 2;
    int percent_ = 0;
};

} // namespace zum
