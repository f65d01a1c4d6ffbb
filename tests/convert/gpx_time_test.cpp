#include "convert/gpx_time.hpp"

#include <gtest/gtest.h>

namespace zum::testing {
namespace {

TEST(FixTime, ReadsOnlyRealTimesAndDates) {
    struct Case {
        const char* time;
        const char* date;
        const char* text; // nullptr: no time
    };
    const Case cases[] = {
        {"190334", "110306", "2006-03-11T19:03:34Z"},
        {"235959.50", "311299", "1999-12-31T23:59:59.50Z"},
        {"000000.000", "010180", "1980-01-01T00:00:00.000Z"},
        {"120000", "290224", "2024-02-29T12:00:00Z"},  // leap day
        {"120000.", "010179", "2079-01-01T12:00:00Z"}, // a lone point: whole seconds
        {"120000.1234567891234", "010120", "2020-01-01T12:00:00.123456789Z"},
        {"120000", "290223", nullptr}, // no leap day in 2023
        {"120000", "310406", nullptr},
        {"120000", "001306", nullptr},
        {"", "110306", nullptr},
        {"240000", "110306", nullptr},
        {"196000", "110306", nullptr},
        {"190360", "110306", nullptr}, // a leap second is not an xsd:dateTime
        {"1903", "110306", nullptr},
        {" 190334", "110306", nullptr},
        {"190334.x", "110306", nullptr},
        {"190334", "11036", nullptr},
        {"190334", "11-306", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<FixTime> fix = ReadFixTime(c.time, c.date);
        SCOPED_TRACE(std::string(c.time) + " " + c.date);
        ASSERT_EQ(fix.has_value(), c.text != nullptr);
        if (fix) {
            EXPECT_EQ(fix->text.view(), c.text);
        }
    }
    // Seconds run on across midnight, a month's end and a year's end.
    const auto seconds = [](const char* time, const char* date) {
        return ReadFixTime(time, date)->seconds;
    };
    EXPECT_DOUBLE_EQ(seconds("000001", "120306") - seconds("235959", "110306"), 2);
    EXPECT_DOUBLE_EQ(seconds("000000", "010300") - seconds("000000", "280200"), 2 * 86400);
    EXPECT_DOUBLE_EQ(seconds("000000", "010100") - seconds("235959.5", "311299"), 0.5);
    EXPECT_DOUBLE_EQ(seconds("000000", "010170"), 3155760000.0); // 2070, not 1970
}

} // namespace
} // namespace zum::testing
