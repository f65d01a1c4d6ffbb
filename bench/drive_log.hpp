#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zum::bench {

// A UTC date and time of day.
struct UtcTime {
    int year = 2006, month = 5, day = 11;
    int hour = 19, minute = 3, second = 34;
};

// Reads "YYYY-MM-DDTHH:MM:SS" (a space may stand for the "T"). Returns false
// for any other text or a date or time that does not exist.
bool ParseUtcTime(std::string_view text, UtcTime& time);

struct DriveLogOptions {
    std::uint64_t seed = 511;
    // "190334.000" instead of "190334" in the time fields.
    bool fractionalSeconds = false;
    UtcTime start;
    // Where the car is parked when the log begins (Reno, Nevada).
    double startLatitude = 39.514;
    double startLongitude = -119.859;
};

// A synthetic drive log as a consumer GPS receiver writes it at 1 Hz: every
// second $GPRMC, $GPGGA, $GPGSA, two or three $GPGSV and $GPVTG, each with its
// checksum and ended by CR LF. The car drives along roads: straight stretches
// at the speed of the road (up to 70 mph), bends, turns, and stops of 10 to
// 120 s at speed 0.0. Now and then the receiver falls back to a 2-D fix for a
// while, or loses the fix for a second or three.
//
// The log is a function of the options alone: random numbers come from the
// raw output of std::mt19937_64 (whose sequence the standard fixes) and the
// arithmetic uses only + - * / and sqrt, so the bytes are the same with every
// standard library and maths library.
class DriveLog {
public:
    explicit DriveLog(const DriveLogOptions& options);
    ~DriveLog();
    DriveLog(const DriveLog&) = delete;
    DriveLog& operator=(const DriveLog&) = delete;

    // Appends the sentences of the next second to `out`.
    void AppendSecond(std::string& out);

private:
    struct Model;
    std::unique_ptr<Model> model_;
};

// The XOR of the characters between "$" and "*" (or the end) of a sentence.
std::uint8_t NmeaChecksum(std::string_view sentence);

} // namespace zum::bench
