#pragma once

#include <cstdint>
#include <string_view>

namespace zum {

// The settings a conversion reads afresh for every sentence, so that a menu
// choice made during a run takes effect from the next sentence.
struct LiveSettings {
    bool markAtStops = true;           // "At Stops Separated by Interval" is checked
    std::int16_t intervalByTime = 0;   // minutes; nonzero selects time spacing
    double intervalValue = 15.0;       // seconds of arc, used while intervalByTime is 0
    std::int16_t timeZoneOffset = -7;  // whole hours added to UTC
    double speedFactor = 1.0 / 0.8689; // knots to the chosen unit
};

// Answers the live settings; the window answers from its menu check marks and
// configuration, the command line from its options.
class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    [[nodiscard]] virtual LiveSettings Current() const = 0;
};

// A source whose settings never change during a run.
class FixedSettings final : public SettingsSource {
public:
    explicit FixedSettings(const LiveSettings& settings) : settings_(settings) {}
    [[nodiscard]] LiveSettings Current() const override { return settings_; }

private:
    LiveSettings settings_;
};

// Speed unit indices of the Distance Units menu.
enum SpeedUnit : std::int16_t { kKnots = 0, kKilometresPerHour = 1, kMilesPerHour = 2 };

// Knots to the unit of the given index: 1, 1.609 / 0.8689 or 1 / 0.8689,
// computed in 64-bit floats. An index that names no unit gives 0.
double SpeedFactorFor(std::int16_t distanceUnits);

// The unit a speed text is in, for a factor SpeedFactorFor gives: "knots",
// "km/hr" or "mi/hr"; empty for any other factor.
std::string_view SpeedUnitName(double speedFactor);

} // namespace zum
