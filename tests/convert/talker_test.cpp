// Reading other talkers: which lines are sentences in each reading, the
// group rule for fix reports and the count of what the GP reading passes over.
#include "conversion_fixture.hpp"

#include <gtest/gtest.h>

namespace zum::testing {
namespace {

// A fix one minute of latitude north of the one before, so that with the
// interval-only marking every position gets its waypoints.
std::string Rmc(const std::string& talker, int i) {
    return "$" + talker + "RMC,1903" + std::to_string(10 + i) + ",A,39" + std::to_string(30 + i) +
           ".8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34";
}

// The "lat,lon" text of Rmc(_, i), as the conversion writes it.
std::string At(int i) {
    return Convert({Rmc("GP", i)}, IntervalOnly()).draw.at(0);
}

std::string Sat(int i, int count) {
    return At(i) + "," + std::to_string(count) + ",Arrow Down Right";
}
std::string Marker(int i) {
    return At(i) + ", ,Arrow Up Right";
}

TEST(Talkers, WhichLinesAreSentencesInEachReading) {
    using K = SentenceKind;
    struct Case {
        const char* line;
        SentenceKind gp, any;
    };
    const Case cases[] = {
        {"$GNRMC,190334,A,3930.8708,N", K::SkippedPosition, K::Position},
        {"$GNGSA,A,3,05", K::Other, K::Fix},
        {"$gnrmc,190334,A", K::Other, K::Other}, // lower case
        {"$G1RMC,190334,A", K::Other, K::Other}, // talker not letters
        {"$PUBX,00,190334", K::Other, K::Other}, // proprietary
        {"$GPRMB,A,0.66", K::Other, K::Other},
        {"$GNGSV,3,1,12", K::Other, K::Other},
        {"$GNRM", K::Other, K::Other},
        {" $GNRMC,190334", K::Other, K::Other},
        {"", K::Other, K::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifySentence(c.line, TalkerMode::GpOnly), c.gp) << c.line;
        EXPECT_EQ(ClassifySentence(c.line, TalkerMode::Any), c.any) << c.line;
    }
}

// A fix report naming `satellites` in its twelve satellite fields, with
// the system identifier `system` when given.
std::string Gsa(const std::string& talker, char fix, const Lines& satellites,
                const std::string& system = "") {
    std::string line = "$" + talker + "GSA,A," + fix;
    for (std::size_t k = 0; k < 12; ++k) {
        line += "," + (k < satellites.size() ? satellites[k] : std::string());
    }
    return line + ",1.0,0.5,0.8" + (system.empty() ? "" : "," + system) + "*00";
}

TEST(Talkers, FixReportsCountOncePerGroupOfDistinctSatellites) {
    struct Case {
        const char* what;
        Lines log;
        Lines sat, fix;
    };
    const Lines twelve = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"};
    Lines forty = {Rmc("GN", 0)};
    for (int k = 0; k < 40; ++k) { // the same twelve satellites of four systems, ten times
        forty.push_back(Gsa("GN", '3', twelve, std::to_string(k % 4 + 1)));
    }
    Lines systems = {Rmc("GN", 0)};
    for (int k = 0; k < 40; ++k) { // twenty systems, each line twice, numbers of every kind
        systems.push_back(Gsa("GN", '3', {"07", "300", "7.5", "07"}, "S" + std::to_string(k % 20)));
    }
    const Case cases[] = {
        {"the same satellite from $GPGSA and $GNGSA counts once",
         {Rmc("GN", 0), Gsa("GP", '3', {"05", "06", "07", "10"}),
          Gsa("GN", '3', {"05", "06", "08", "10"}), Rmc("GN", 1)},
         {Sat(0, 5)},
         {}},
        {"system identifiers tell Galileo 27 from BeiDou 27; the last group ends with the input",
         {Rmc("GN", 0), Gsa("GN", '3', {"05", "27"}, "1"), Gsa("GN", '3', {"27", "30"}, "3"),
          Gsa("GN", '3', {"27"}, "4"), Gsa("GP", '3', {"05", "27"}, "1"), Gsa("GP", '3', {"05"})},
         {Sat(0, 6)}, // (1,5) (1,27) (3,27) (3,30) (4,27), and 5 with no identifier
         {}},
        {"equal numbers are one satellite; zero, empty and text name none",
         {Rmc("GN", 0), Gsa("GN", '3', {"5", "005", "05.0", "0", "", "abc", "&H5", "7"})},
         {Sat(0, 2)},
         {}},
        {"one marker per group without A,3, at the last position",
         {Rmc("GN", 0), Gsa("GN", '2', {"05"}), Gsa("GL", '1', {"70"}), Rmc("GN", 1),
          Gsa("GN", '2', {"05"}), Gsa("GN", '3', {"06"}), Rmc("GN", 2)},
         {Sat(0, 2), Sat(1, 2)},
         {Marker(0)}},
        {"a group before the first position: no count, as PointFlag is false",
         {Gsa("GN", '1', {"05", "06"}), Gsa("GN", '1', {"07"}), Rmc("GN", 0)},
         {},
         {",, ,Arrow Up Right"}},
        {"no count after a position without waypoints, but the marker",
         {Rmc("GN", 0), "$GNRMC,190335,V,,,,,,,110306,,*38", Gsa("GN", '1', {"05"})},
         {},
         {Marker(0)}},
        {"lines cut short count the satellites they have",
         {Rmc("GN", 0), "$GNGSA,A,3,05,06", "$GNGSA,A,3,05,07*1A"},
         {Sat(0, 3)},
         {}},
        {"forty lines are still one group", forty, {Sat(0, 48)}, {}},
        {"many systems, large and fractional numbers", systems, {Sat(0, 60)}, {}},
    };
    for (const Case& c : cases) {
        ConversionState state;
        const Outputs out = Convert(c.log, IntervalOnly(), state, TalkerMode::Any);
        EXPECT_EQ(out.sat, c.sat) << c.what;
        EXPECT_EQ(out.fix, c.fix) << c.what;
    }
}

TEST(Talkers, TheGpReadingIsUnchangedAndCountsWhatItPassesOver) {
    const Lines gp = {Rmc("GP", 0), kGsa3, kGsa2, Rmc("GP", 1)};
    Lines mixed = gp;
    mixed.insert(mixed.begin() + 1, {Rmc("GN", 5), Gsa("GN", '1', {"09"})});
    mixed.insert(mixed.end(), {Rmc("BD", 6), Rmc("GN", 7), "$gnrmc,1", "$PUBX,00,1"});

    RunResult result;
    ConversionState gpState, anyState;
    const Outputs alone = Convert(gp, IntervalOnly());
    const Outputs out = Convert(mixed, IntervalOnly(), gpState, TalkerMode::GpOnly, &result);
    EXPECT_EQ(out.draw, alone.draw);
    EXPECT_EQ(out.sat, (Lines{Sat(0, 10), Sat(0, 3)}));
    EXPECT_EQ(out.fix, alone.fix);
    EXPECT_EQ(result.skippedPositions, 3u);
    EXPECT_EQ(result.skippedNames, "$BDRMC, $GNRMC");
    Convert(mixed, IntervalOnly(), anyState, TalkerMode::Any, &result);
    EXPECT_EQ(result.records.draw, 5u);
    EXPECT_EQ(result.skippedPositions, 0u);
    EXPECT_EQ(result.skippedNames, "");
}

} // namespace
} // namespace zum::testing
