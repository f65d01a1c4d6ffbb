#pragma once

#include <QWidget>

namespace zum {

// Picture1: what the window shows where the panel stands while the panel is
// closed. A small map drawn in code: a few streets, a driven track and the
// waypoint arrows the program's files put on it.
class TrackPicture : public QWidget {
    Q_OBJECT
public:
    explicit TrackPicture(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zum
