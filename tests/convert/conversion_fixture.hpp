#pragma once

#include "convert/conversion_run.hpp"
#include "temp_folder.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zum::testing {

using Lines = std::vector<std::string>;

const std::string kRmc = "$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34";
const std::string kGsa3 = "$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B";
const std::string kGsa2 = "$GPGSA,A,2,05,06,07,,,,,,,,,,2.3,1.3,1.8*3D";
inline const char* const kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt",
                                        "_2d.txt"};

// The five outputs of a run, each as its records: the lines between the
// opening line and "END", after checking that every line ends in CR LF.
struct Outputs {
    Lines draw, time, sat, speed, fix;
};

inline Lines RecordsOf(const std::string& bytes, const std::string& opening) {
    Lines lines;
    for (std::size_t at = 0, end = 0; (end = bytes.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
        lines.push_back(bytes.substr(at, end - at));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos);
    }
    const bool framed = bytes.ends_with("\r\n") && lines.size() >= 2 && lines[0] == opening &&
                        lines.back() == "END";
    EXPECT_TRUE(framed) << bytes.substr(0, 200);
    return framed ? Lines(lines.begin() + 1, lines.end() - 1) : Lines{};
}

inline Outputs ReadOutputs(const std::filesystem::path& log) {
    const auto read = [&](const char* suffix, const char* opening) {
        return RecordsOf(ReadFile(log.string() + suffix), opening);
    };
    return {read("_draw.txt", "BEGIN LINE"), read("_time.txt", "BEGIN SYMBOL"),
            read("_sat.txt", "BEGIN SYMBOL"), read("_speed.txt", "BEGIN SYMBOL"),
            read("_2d.txt", "BEGIN SYMBOL")};
}

// Runs the lines (joined by CR LF) through a whole conversion with `state`;
// the run's result goes to `result` when given.
inline Outputs Convert(const Lines& lines, const LiveSettings& settings, ConversionState& state,
                       TalkerMode talkers = TalkerMode::GpOnly, RunResult* result = nullptr) {
    TempFolder folder;
    std::string log;
    for (const std::string& line : lines) {
        log += line + "\r\n";
    }
    const auto path = folder / "0511NMEA.TXT";
    WriteFile(path, log);
    const RunResult run = ConvertLog({.input = path, .outputStem = path, .talkers = talkers},
                                     FixedSettings(settings), state);
    EXPECT_EQ(run.status, RunStatus::Done) << run.message;
    if (result != nullptr) {
        *result = run;
    }
    return ReadOutputs(path);
}

inline Outputs Convert(const Lines& lines, const LiveSettings& settings) {
    ConversionState state;
    return Convert(lines, settings, state);
}

inline LiveSettings IntervalOnly() {
    LiveSettings s;
    s.markAtStops = false;
    return s;
}

} // namespace zum::testing
