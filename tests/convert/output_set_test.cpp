#include "conversion_fixture.hpp"
#include "convert/conversion_run.hpp"
#include "convert/output_set.hpp"

#include <gtest/gtest.h>

// Links and modes as Linux has them.
#ifdef __linux__
#include <sys/stat.h>

namespace zum::testing {
namespace {

unsigned ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

RunResult ConvertBeside(const std::filesystem::path& log) {
    ConversionState state;
    LiveSettings settings;
    return ConvertLog({log, log}, FixedSettings(settings), state);
}

TEST(OutputSet, AFailedReplacementPutsBackEveryEarlierFile) {
    TempFolder folder;
    const Lines names = {"a.txt", "b.txt", "c.txt"};
    WriteFile(folder / "a.txt", "old a");
    WriteFile(folder / "c.txt", "old c"); // b is new
    {
        OutputSet set;
        std::string error;
        for (const std::string& name : names) {
            set.Add(folder / name, error)->Write("new " + name);
        }
        // Two sets on the same names at once: each has temporaries of its own.
        EXPECT_EQ(folder.Names().size(), 5u); // two files and three temporaries
        // The last move fails: its temporary has gone.
        OutputSet failing;
        OutputFile* a = failing.Add(folder / "a.txt", error);
        OutputFile* b = failing.Add(folder / "b.txt", error);
        OutputFile* c = failing.Add(folder / "c.txt", error);
        a->Write("bad");
        b->Write("bad");
        std::filesystem::remove(c->TemporaryPath());
        EXPECT_FALSE(failing.Commit(error));
        EXPECT_NE(error.find("c.txt"), std::string::npos) << error;
        EXPECT_EQ(ReadFile(folder / "a.txt"), "old a");
        EXPECT_FALSE(std::filesystem::exists(folder / "b.txt"));
        EXPECT_EQ(folder.Names().size(), 5u); // the first set's temporaries only

        // The first set, unaffected, goes into place whole.
        ASSERT_TRUE(set.Commit(error)) << error;
    }
    EXPECT_EQ(folder.Names(), names);
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFile(folder / name), "new " + name);
    }
}

TEST(OutputSet, ReplacedOutputsKeepModeAndLinksNewOnesGetTheDefault) {
    TempFolder folder;
    TempFolder elsewhere;
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, kRmc + "\r\n");
    const auto draw = log.string() + "_draw.txt";
    WriteFile(draw, "previous\r\n");
    std::filesystem::permissions(draw, std::filesystem::perms(0600));
    // _sat.txt is a link to a private file kept elsewhere.
    WriteFile(elsewhere / "sat.txt", "previous\r\n");
    std::filesystem::permissions(elsewhere / "sat.txt", std::filesystem::perms(0640));
    std::filesystem::create_symlink(elsewhere / "sat.txt", log.string() + "_sat.txt");
    WriteFile(folder / "probe", ""); // what a new file gets here
    const unsigned usual = ModeOf(folder / "probe");
    std::filesystem::remove(folder / "probe");

    ASSERT_EQ(ConvertBeside(log).status, RunStatus::Done);
    EXPECT_EQ(ModeOf(draw), 0600u);
    EXPECT_EQ(ModeOf(log.string() + "_time.txt"), usual);
    EXPECT_TRUE(std::filesystem::is_symlink(log.string() + "_sat.txt"));
    EXPECT_EQ(ModeOf(elsewhere / "sat.txt"), 0640u);
    EXPECT_EQ(ReadFile(elsewhere / "sat.txt").substr(0, 12), "BEGIN SYMBOL");
    EXPECT_EQ(elsewhere.Names(), Lines{"sat.txt"});
    EXPECT_EQ(folder.Names().size(), 6u);
}

TEST(OutputSet, TheLongestNamesAndLeftoversOfKilledRunsBlockNothing) {
    TempFolder folder;
    // Outputs of 251 to 255 bytes: the longest names a folder takes.
    const auto longest = folder / (std::string(241, 'N') + ".TXT");
    WriteFile(longest, kRmc + "\r\n");
    const RunResult result = ConvertBeside(longest);
    ASSERT_EQ(result.status, RunStatus::Done) << result.message;
    EXPECT_EQ(folder.Names().size(), 6u);

    // Leftovers of earlier, killed runs under the names once used.
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, kRmc + "\r\n");
    for (const char* suffix : kSuffixes) {
        for (int i = 0; i < 100; ++i) {
            WriteFile(
                folder / (".0511NMEA.TXT" + std::string(suffix) + ".part" + std::to_string(i)), "");
        }
    }
    EXPECT_EQ(ConvertBeside(log).status, RunStatus::Done);
    EXPECT_EQ(folder.Names().size(), 12u + 500u);
}

} // namespace
} // namespace zum::testing
#endif
