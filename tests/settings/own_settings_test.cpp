#include "convert/temp_folder.hpp"
#include "settings/own_settings.hpp"

#include <gtest/gtest.h>

namespace zum {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(OwnSettings, WhatIsWrittenIsReadBack) {
    TempFolder folder;
    const auto path = folder / "config" / "zum-points.conf"; // the folder is made on saving
    for (const bool talkers : {true, false}) {
        for (const bool gpx : {true, false}) {
            std::string message = "stale";
            ASSERT_TRUE(WriteOwnSettings({talkers, gpx}, path, message)) << message;
            EXPECT_EQ(message, "");
            OwnSettings read{!talkers, !gpx};
            EXPECT_EQ(ReadOwnSettings(read, path), OwnSettingsStatus::Read);
            EXPECT_EQ(std::pair(read.acceptOtherTalkers, read.writeGpx), std::pair(talkers, gpx));
        }
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"config"});
    EXPECT_NE(ReadFile(path).find("\naccept_other_talkers=0\n"), std::string::npos);
}

TEST(OwnSettings, AMissingOrDamagedFileLeavesItsSettingsOff) {
    struct Case {
        const char* what;
        std::string text; // "-": no file; "/": a folder in its place
        OwnSettingsStatus status;
        bool talkers, gpx;
    };
    const Case cases[] = {
        {"missing", "-", OwnSettingsStatus::Missing, false, false},
        {"empty", "", OwnSettingsStatus::Read, false, false},
        {"blanks, comments, CR LF and unknown keys",
         "# x\r\n\r\n accept_other_talkers = 1 \r\nlater_key=7\r\n", OwnSettingsStatus::Read, true,
         false},
        {"junk", std::string("\x7f\x45LF\0\x01\x02", 7), OwnSettingsStatus::Damaged, false, false},
        {"a folder", "/", OwnSettingsStatus::Damaged, false, false},
        {"a value other than 0 or 1", "accept_other_talkers=yes\nwrite_gpx=1\n",
         OwnSettingsStatus::Damaged, false, true},
        {"a line without =", "accept_other_talkers\n", OwnSettingsStatus::Damaged, false, false},
        {"too large to be ours", std::string(70000, '#'), OwnSettingsStatus::Damaged, false, false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const auto path = folder / "zum-points.conf";
        if (c.text == "/") {
            std::filesystem::create_directory(path);
        } else if (c.text != "-") {
            WriteFile(path, c.text);
        }
        OwnSettings read;
        EXPECT_EQ(ReadOwnSettings(read, path), c.status) << c.what;
        EXPECT_EQ(std::pair(read.acceptOtherTalkers, read.writeGpx), std::pair(c.talkers, c.gpx))
            << c.what;
    }
}

} // namespace
} // namespace zum
