#include "drive_log.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <random>
#include <vector>

namespace zum::bench {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMphPerKnot = 1.150779448;
constexpr double kKmhPerKnot = 1.852;
constexpr double kMetresPerSecondPerMph = 0.44704;
constexpr double kMetresPerDegreeLatitude = 111132.0;
constexpr double kMetresPerDegreeLongitudeAtEquator = 111320.0;
constexpr double kMagneticVariation = 15.2; // degrees east, around Reno
constexpr double kGeoidSeparation = -22.1;
constexpr double kTopSpeedMph = 70.0;
// Beyond this distance from where it started the car turns towards home, so
// that a log of days stays in one region.
constexpr double kHomeRadiusMetres = 25000.0;

// Random numbers made from the raw engine output: the standard fixes the
// sequence of std::mt19937_64, but not what its distributions make of it.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    // Uniform in [0, 1): the top 53 bits of one draw.
    double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Uniform whole number in [lo, hi]; the modulo bias is far below anything visible.
    int Int(int lo, int hi) {
        return lo + static_cast<int>(engine_() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool Chance(double p) { return Uniform() < p; }
    double Sign() { return Chance(0.5) ? 1.0 : -1.0; }

private:
    std::mt19937_64 engine_;
};

// sin and cos of an angle in degrees from their Taylor series after reduction
// to [-45, 45] degrees. Only + - * / are used, so the results do not depend on
// the maths library.
void SinCosDegrees(double degrees, double& s, double& c) {
    const double quarter = std::floor(degrees / 90.0 + 0.5);
    const double r = (degrees - quarter * 90.0) * (kPi / 180.0);
    const double r2 = r * r;
    const double sr =
        r *
        (1 -
         r2 / 6 * (1 - r2 / 20 * (1 - r2 / 42 * (1 - r2 / 72 * (1 - r2 / 110 * (1 - r2 / 156))))));
    const double cr =
        1 - r2 / 2 * (1 - r2 / 12 * (1 - r2 / 30 * (1 - r2 / 56 * (1 - r2 / 90 * (1 - r2 / 132)))));
    switch (static_cast<int>(quarter - 4.0 * std::floor(quarter / 4.0))) {
    case 0:
        s = sr, c = cr;
        break;
    case 1:
        s = cr, c = -sr;
        break;
    case 2:
        s = -sr, c = -cr;
        break;
    default:
        s = -cr, c = sr;
        break;
    }
}

double CosDegrees(double degrees) {
    double s = 0, c = 0;
    SinCosDegrees(degrees, s, c);
    return c;
}

double WrapDegrees(double degrees) {
    return degrees - 360.0 * std::floor(degrees / 360.0);
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

void AdvanceOneSecond(UtcTime& t) {
    if (++t.second < 60) {
        return;
    }
    t.second = 0;
    if (++t.minute < 60) {
        return;
    }
    t.minute = 0;
    if (++t.hour < 24) {
        return;
    }
    t.hour = 0;
    if (++t.day <= DaysInMonth(t.year, t.month)) {
        return;
    }
    t.day = 1;
    if (++t.month <= 12) {
        return;
    }
    t.month = 1;
    ++t.year;
}

// Sentence text is built with these, never with printf, so that the layout
// does not depend on the locale.
void AppendUnsigned(std::string& out, std::uint64_t value, int width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto n = end - digits; n < width; ++n) {
        out.push_back('0');
    }
    out.append(digits, end);
}

// `value` rounded to `decimals` places, at least one digit before the point.
void AppendFixed(std::string& out, double value, int decimals) {
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const std::int64_t scaled = std::llround(value * static_cast<double>(scale));
    if (scaled < 0) {
        out.push_back('-');
    }
    const auto magnitude = static_cast<std::uint64_t>(scaled < 0 ? -scaled : scaled);
    AppendUnsigned(out, magnitude / static_cast<std::uint64_t>(scale), 1);
    if (decimals > 0) {
        out.push_back('.');
        AppendUnsigned(out, magnitude % static_cast<std::uint64_t>(scale), decimals);
    }
}

// ddmm.mmmm or dddmm.mmmm and the hemisphere field.
void AppendCoordinate(std::string& out, double degrees, int degreeDigits, char positive,
                      char negative) {
    const auto tenThousandthsOfMinute = static_cast<std::uint64_t>(
        std::llround((degrees < 0 ? -degrees : degrees) * 60.0 * 10000.0));
    AppendUnsigned(out, tenThousandthsOfMinute / 600000, degreeDigits);
    const std::uint64_t minutes = tenThousandthsOfMinute % 600000;
    AppendUnsigned(out, minutes / 10000, 2);
    out.push_back('.');
    AppendUnsigned(out, minutes % 10000, 4);
    out.push_back(',');
    out.push_back(degrees < 0 ? negative : positive);
}

// Closes the sentence that begins at `start` with its checksum and CR LF.
void EndSentence(std::string& out, std::size_t start) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint8_t sum = NmeaChecksum(std::string_view(out).substr(start));
    out.push_back('*');
    out.push_back(kHex[sum >> 4]);
    out.push_back(kHex[sum & 0xF]);
    out.append("\r\n");
}

enum class RoadClass { Residential, Arterial, Highway };

// The car: where it is, where it heads and how fast, driven by a small plan of
// road stretches, bends, turns and stops.
class Car {
public:
    Car(Random& random, double latitude, double longitude)
        : random_(random), lat_(latitude), lon_(longitude), homeLat_(latitude), homeLon_(longitude),
          heading_(random.Uniform(0, 360)) {
        // The log begins while the car is still parked.
        phase_ = Phase::Stopped;
        stopLeft_ = random_.Int(10, 40);
    }

    void Step() {
        const double before = mph_;
        switch (phase_) {
        case Phase::Cruise:
            cruise();
            break;
        case Phase::Turning:
            turn();
            break;
        case Phase::Stopping:
            mph_ -= braking_;
            if (mph_ <= 0) {
                mph_ = 0;
                phase_ = Phase::Stopped;
                stopLeft_ = random_.Int(10, 120);
            }
            break;
        case Phase::Stopped:
            mph_ = 0;
            if (--stopLeft_ <= 0) {
                if (random_.Chance(0.5)) {
                    beginTurn();
                } else {
                    newRoad();
                }
            }
            break;
        }
        heading_ = WrapDegrees(heading_);
        move((before + mph_) / 2 * kMetresPerSecondPerMph);
    }

    [[nodiscard]] double Latitude() const { return lat_; }
    [[nodiscard]] double Longitude() const { return lon_; }
    [[nodiscard]] double Heading() const { return heading_; }
    [[nodiscard]] double Mph() const { return mph_; }

private:
    enum class Phase { Cruise, Turning, Stopping, Stopped };

    void cruise() {
        if (random_.Chance(0.04)) {
            targetMph_ = std::clamp(targetMph_ + random_.Uniform(-5, 5), roadMin_, roadMax_);
        }
        approach(targetMph_);
        if (bendLeft_ > 0) {
            heading_ += bendRate_;
            --bendLeft_;
        } else {
            heading_ += random_.Uniform(-0.3, 0.3);
        }
        if (--segmentLeft_ <= 0) {
            endOfSegment();
        }
    }

    // Slows to the speed of the turn, then swings round.
    void turn() {
        approach(turnMph_);
        if (mph_ > turnMph_ + 2) {
            return;
        }
        const double step = std::min(std::fabs(turnLeft_), random_.Uniform(12, 20));
        const double sign = turnLeft_ < 0 ? -1.0 : 1.0;
        heading_ += sign * step;
        turnLeft_ -= sign * step;
        if (std::fabs(turnLeft_) < 1e-9) {
            newRoad();
        }
    }

    void approach(double target) {
        if (mph_ < target) {
            mph_ = std::min(target, mph_ + random_.Uniform(1.5, 3.5));
        } else {
            mph_ = std::max(target, mph_ - random_.Uniform(2.0, 4.0));
        }
        mph_ = std::min(mph_, kTopSpeedMph);
    }

    void endOfSegment() {
        const double stopChance = road_ == RoadClass::Highway ? 0.15 : 0.45;
        const double r = random_.Uniform();
        if (r < stopChance) {
            phase_ = Phase::Stopping;
            braking_ = random_.Uniform(3, 6);
        } else if (r < stopChance + 0.45) {
            beginTurn();
        } else {
            bendRate_ = random_.Sign() * random_.Uniform(0.5, 3.0);
            bendLeft_ = random_.Int(5, 30);
            segmentLeft_ = segmentLength();
        }
    }

    void beginTurn() {
        phase_ = Phase::Turning;
        const double angle = random_.Chance(0.2) ? 45.0 : 90.0;
        turnLeft_ = angle * towardsHome();
        turnMph_ = random_.Uniform(8, 16);
    }

    // +1 (right) or -1 (left): at random near home, towards it far away.
    double towardsHome() {
        const double north = (homeLat_ - lat_) * kMetresPerDegreeLatitude;
        const double east =
            (homeLon_ - lon_) * kMetresPerDegreeLongitudeAtEquator * CosDegrees(lat_);
        if (std::sqrt(north * north + east * east) < kHomeRadiusMetres) {
            return random_.Sign();
        }
        double s = 0, c = 0;
        SinCosDegrees(heading_, s, c);
        // Home's component along the direction to the right of the heading.
        return -s * north + c * east > 0 ? 1.0 : -1.0;
    }

    void newRoad() {
        phase_ = Phase::Cruise;
        const double r = random_.Uniform();
        road_ = r < 0.38 ? RoadClass::Residential
                         : (r < 0.88 ? RoadClass::Arterial : RoadClass::Highway);
        switch (road_) {
        case RoadClass::Residential:
            roadMin_ = 20, roadMax_ = 30;
            break;
        case RoadClass::Arterial:
            roadMin_ = 35, roadMax_ = 50;
            break;
        case RoadClass::Highway:
            roadMin_ = 55, roadMax_ = kTopSpeedMph;
            break;
        }
        targetMph_ = random_.Uniform(roadMin_, roadMax_);
        segmentLeft_ = segmentLength();
        bendLeft_ = 0;
    }

    int segmentLength() {
        switch (road_) {
        case RoadClass::Residential:
            return random_.Int(15, 60);
        case RoadClass::Arterial:
            return random_.Int(30, 180);
        case RoadClass::Highway:
            break;
        }
        return random_.Int(120, 480);
    }

    void move(double metres) {
        double s = 0, c = 0;
        SinCosDegrees(heading_, s, c);
        lat_ += metres * c / kMetresPerDegreeLatitude;
        lon_ += metres * s / (kMetresPerDegreeLongitudeAtEquator * CosDegrees(lat_));
    }

    Random& random_;
    double lat_, lon_;
    double homeLat_, homeLon_;
    double heading_; // degrees clockwise from north
    double mph_ = 0;
    Phase phase_;
    RoadClass road_ = RoadClass::Residential;
    double roadMin_ = 20, roadMax_ = 30, targetMph_ = 25;
    int segmentLeft_ = 0;
    double bendRate_ = 0;
    int bendLeft_ = 0;
    double turnLeft_ = 0, turnMph_ = 10;
    double braking_ = 4;
    int stopLeft_ = 0;
};

struct Satellite {
    int prn;
    double elevation, azimuth; // degrees
    double climb, drift;       // degrees per second
    double shade;              // dB lost to the roof, trees and buildings
};

// The satellites in view: they rise, cross the sky slowly and set.
class Sky {
public:
    explicit Sky(Random& random) : random_(random) {
        const int count = random_.Int(7, 11);
        while (static_cast<int>(satellites_.size()) < count) {
            add(random_.Uniform(8, 85));
        }
    }

    void Step() {
        for (auto& s : satellites_) {
            s.elevation = std::min(s.elevation + s.climb, 89.0);
            if (s.elevation >= 89.0) {
                s.climb = -s.climb;
            }
            s.azimuth = WrapDegrees(s.azimuth + s.drift);
            s.shade = std::clamp(s.shade + random_.Uniform(-0.3, 0.3), 0.0, 12.0);
        }
        std::erase_if(satellites_, [](const Satellite& s) { return s.elevation < 5.0; });
        while (satellites_.size() < 6 || (satellites_.size() < 12 && random_.Chance(0.0004))) {
            add(5.0);
        }
    }

    [[nodiscard]] const std::vector<Satellite>& Satellites() const { return satellites_; }

    [[nodiscard]] static int Snr(const Satellite& s) {
        return static_cast<int>(std::lround(22.0 + s.elevation * 0.3 - s.shade));
    }

private:
    void add(double elevation) {
        int prn = 0;
        do {
            prn = random_.Int(1, 32);
        } while (std::any_of(satellites_.begin(), satellites_.end(),
                             [prn](const Satellite& s) { return s.prn == prn; }));
        const double climb = random_.Uniform(0.003, 0.012);
        satellites_.push_back({prn, elevation, random_.Uniform(0, 360),
                               elevation <= 5.0 ? climb : random_.Sign() * climb,
                               random_.Sign() * random_.Uniform(0.002, 0.01),
                               random_.Uniform(0, 6)});
    }

    Random& random_;
    std::vector<Satellite> satellites_;
};

enum class Fix { None = 1, TwoD = 2, ThreeD = 3 };

} // namespace

struct DriveLog::Model {
    explicit Model(const DriveLogOptions& options)
        : random(options.seed), fractional(options.fractionalSeconds), time(options.start),
          car(random, options.startLatitude, options.startLongitude), sky(random) {}

    void step() {
        AdvanceOneSecond(time);
        car.Step();
        sky.Step();
        stepFix();
        // The error of the reported position wanders slowly, more so without 3-D.
        const double reach = fix == Fix::ThreeD ? 2.5 : 15.0;
        const double stride = fix == Fix::ThreeD ? 0.4 : 2.0;
        errorNorth = std::clamp(errorNorth + random.Uniform(-stride, stride), -reach, reach);
        errorEast = std::clamp(errorEast + random.Uniform(-stride, stride), -reach, reach);
        if (fix == Fix::ThreeD) {
            altitude = std::clamp(altitude + random.Uniform(-0.6, 0.6), 1300.0, 1700.0);
        }
    }

    void stepFix() {
        if (fixLeft > 0 && --fixLeft == 0) {
            fix = Fix::ThreeD;
        }
        if (fix != Fix::ThreeD) {
            return;
        }
        if (random.Chance(1.0 / 700)) {
            fix = Fix::TwoD;
            fixLeft = random.Int(8, 75);
        } else if (random.Chance(1.0 / 600)) {
            fix = Fix::None;
            fixLeft = random.Chance(0.7) ? 1 : random.Int(2, 3);
        }
    }

    // The satellites used in the fix: the strong ones, or the three strongest
    // while the fix is 2-D, or none.
    void chooseUsed() {
        used.clear();
        const auto& all = sky.Satellites();
        if (fix == Fix::None) {
            return;
        }
        if (fix == Fix::TwoD) {
            std::vector<const Satellite*> order;
            for (const auto& s : all) {
                order.push_back(&s);
            }
            std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
                return Sky::Snr(*a) > Sky::Snr(*b);
            });
            for (std::size_t i = 0; i < 3 && i < order.size(); ++i) {
                used.push_back(order[i]->prn);
            }
            return;
        }
        for (const auto& s : all) {
            if (s.elevation >= 10.0 && Sky::Snr(s) >= 24) {
                used.push_back(s.prn);
            }
        }
        // A 3-D fix needs four; take the highest ones when the strong are fewer.
        for (const auto& s : all) {
            if (used.size() >= 4) {
                break;
            }
            if (std::find(used.begin(), used.end(), s.prn) == used.end()) {
                used.push_back(s.prn);
            }
        }
    }

    [[nodiscard]] bool isUsed(int prn) const {
        return std::find(used.begin(), used.end(), prn) != used.end();
    }

    void appendTime(std::string& out) const {
        AppendUnsigned(out, static_cast<std::uint64_t>(time.hour), 2);
        AppendUnsigned(out, static_cast<std::uint64_t>(time.minute), 2);
        AppendUnsigned(out, static_cast<std::uint64_t>(time.second), 2);
        if (fractional) {
            out.append(".000");
        }
    }

    void appendPosition(std::string& out) const {
        const double lat = car.Latitude() + errorNorth / kMetresPerDegreeLatitude;
        const double lon = car.Longitude() + errorEast / (kMetresPerDegreeLongitudeAtEquator *
                                                          CosDegrees(car.Latitude()));
        AppendCoordinate(out, lat, 2, 'N', 'S');
        out.push_back(',');
        AppendCoordinate(out, lon, 3, 'E', 'W');
    }

    void appendSecond(std::string& out) {
        chooseUsed();
        const bool hasFix = fix != Fix::None;
        // Speed and course as the receiver reports them: a little noise while
        // moving, exactly 0.0 at a standstill, the last course kept when slow.
        knots = car.Mph() == 0 ? 0.0
                               : std::clamp(car.Mph() / kMphPerKnot + random.Uniform(-0.15, 0.15),
                                            0.0, kTopSpeedMph / kMphPerKnot);
        if (car.Mph() > 1.5) {
            course = WrapDegrees(car.Heading() + random.Uniform(-1, 1));
        }
        const double courseTenths = static_cast<double>(std::llround(course * 10) % 3600) / 10.0;
        const double magneticTenths =
            static_cast<double>(std::llround(WrapDegrees(course - kMagneticVariation) * 10) %
                                3600) /
            10.0;
        const std::size_t usedCount = used.size();
        const double hdop =
            fix == Fix::TwoD
                ? random.Uniform(2.5, 5.0)
                : 0.7 + 6.0 / static_cast<double>(std::max<std::size_t>(usedCount, 1)) +
                      random.Uniform(0, 0.2);
        const char mode = fix == Fix::ThreeD ? 'D' : (fix == Fix::TwoD ? 'A' : 'N');

        // $GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110506,15.2,E,D*hh
        std::size_t start = out.size();
        out.append("$GPRMC,");
        appendTime(out);
        if (hasFix) {
            out.append(",A,");
            appendPosition(out);
            out.push_back(',');
            AppendFixed(out, knots, 1);
            out.push_back(',');
            AppendFixed(out, courseTenths, 1);
            out.push_back(',');
        } else {
            out.append(",V,,,,,,,");
        }
        AppendUnsigned(out, static_cast<std::uint64_t>(time.day), 2);
        AppendUnsigned(out, static_cast<std::uint64_t>(time.month), 2);
        AppendUnsigned(out, static_cast<std::uint64_t>(time.year % 100), 2);
        if (hasFix) {
            out.append(",");
            AppendFixed(out, kMagneticVariation, 1);
            out.append(",E,");
        } else {
            out.append(",,,");
        }
        out.push_back(mode);
        EndSentence(out, start);

        // $GPGGA,190334,3930.8708,N,11951.5388,W,2,09,1.0,1372.4,M,-22.1,M,,*hh
        start = out.size();
        out.append("$GPGGA,");
        appendTime(out);
        if (hasFix) {
            out.push_back(',');
            appendPosition(out);
            out.append(fix == Fix::ThreeD ? ",2," : ",1,");
            AppendUnsigned(out, usedCount, 2);
            out.push_back(',');
            AppendFixed(out, hdop, 1);
            out.push_back(',');
            AppendFixed(out, altitude, 1);
            out.append(",M,");
            AppendFixed(out, kGeoidSeparation, 1);
            out.append(",M,,");
        } else {
            out.append(",,,,,0,00,,,M,,M,,");
        }
        EndSentence(out, start);

        // $GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*hh
        start = out.size();
        out.append("$GPGSA,A,");
        out.push_back(static_cast<char>('0' + static_cast<int>(fix)));
        for (std::size_t i = 0; i < 12; ++i) {
            out.push_back(',');
            if (i < used.size()) {
                AppendUnsigned(out, static_cast<std::uint64_t>(used[i]), 2);
            }
        }
        if (hasFix) {
            out.push_back(',');
            AppendFixed(out, hdop * 1.6, 1);
            out.push_back(',');
            AppendFixed(out, hdop, 1);
            out.push_back(',');
            AppendFixed(out, hdop * 1.25, 1);
        } else {
            out.append(",,,");
        }
        EndSentence(out, start);

        // $GPGSV,3,1,11,05,61,293,41,06,22,047,33,07,14,102,29,10,44,189,38*hh
        const auto& all = sky.Satellites();
        const std::size_t lines = (all.size() + 3) / 4;
        for (std::size_t line = 0; line < lines; ++line) {
            start = out.size();
            out.append("$GPGSV,");
            AppendUnsigned(out, lines, 1);
            out.push_back(',');
            AppendUnsigned(out, line + 1, 1);
            out.push_back(',');
            AppendUnsigned(out, all.size(), 2);
            for (std::size_t i = line * 4; i < std::min(all.size(), line * 4 + 4); ++i) {
                const Satellite& s = all[i];
                out.push_back(',');
                AppendUnsigned(out, static_cast<std::uint64_t>(s.prn), 2);
                out.push_back(',');
                AppendUnsigned(out, static_cast<std::uint64_t>(std::lround(s.elevation)), 2);
                out.push_back(',');
                AppendUnsigned(out, static_cast<std::uint64_t>(std::lround(s.azimuth) % 360), 3);
                out.push_back(',');
                // Satellites outside the fix are often not tracked at all.
                if (isUsed(s.prn) || (fix == Fix::ThreeD && Sky::Snr(s) >= 18)) {
                    AppendUnsigned(out, static_cast<std::uint64_t>(std::clamp(Sky::Snr(s), 0, 99)),
                                   2);
                }
            }
            EndSentence(out, start);
        }

        // $GPVTG,216.7,T,201.5,M,0.0,N,0.0,K,D*hh
        start = out.size();
        out.append("$GPVTG,");
        if (hasFix) {
            AppendFixed(out, courseTenths, 1);
            out.append(",T,");
            AppendFixed(out, magneticTenths, 1);
            out.append(",M,");
            AppendFixed(out, knots, 1);
            out.append(",N,");
            AppendFixed(out, knots * kKmhPerKnot, 1);
            out.append(",K,");
        } else {
            out.append(",T,,M,,N,,K,");
        }
        out.push_back(mode);
        EndSentence(out, start);
    }

    Random random;
    bool fractional;
    UtcTime time;
    Car car;
    Sky sky;
    Fix fix = Fix::ThreeD;
    int fixLeft = 0;
    std::vector<int> used;
    double errorNorth = 0, errorEast = 0;
    double altitude = 1372.0;
    double knots = 0, course = 0;
    bool first = true;
};

DriveLog::DriveLog(const DriveLogOptions& options) : model_(std::make_unique<Model>(options)) {
    model_->course = model_->car.Heading();
}

DriveLog::~DriveLog() = default;

void DriveLog::AppendSecond(std::string& out) {
    // The first second is the start time itself.
    if (!model_->first) {
        model_->step();
    }
    model_->first = false;
    model_->appendSecond(out);
}

std::uint8_t NmeaChecksum(std::string_view sentence) {
    if (!sentence.empty() && sentence.front() == '$') {
        sentence.remove_prefix(1);
    }
    std::uint8_t sum = 0;
    for (const char c : sentence) {
        if (c == '*') {
            break;
        }
        sum ^= static_cast<std::uint8_t>(c);
    }
    return sum;
}

bool ParseUtcTime(std::string_view text, UtcTime& time) {
    // YYYY-MM-DDTHH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':') {
        return false;
    }
    auto number = [text](std::size_t at, std::size_t width, int& value) {
        const char* first = text.data() + at;
        const char* last = first + width;
        const auto [end, ec] = std::from_chars(first, last, value);
        return ec == std::errc() && end == last && first[0] != '-' && first[0] != '+';
    };
    UtcTime t;
    if (!number(0, 4, t.year) || !number(5, 2, t.month) || !number(8, 2, t.day) ||
        !number(11, 2, t.hour) || !number(14, 2, t.minute) || !number(17, 2, t.second)) {
        return false;
    }
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59) {
        return false;
    }
    time = t;
    return true;
}

} // namespace zum::bench
