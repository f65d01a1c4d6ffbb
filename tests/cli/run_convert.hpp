#pragma once

#include "convert/temp_folder.hpp"

#include <cstdlib>
#include <sys/wait.h>

namespace zum::testing {

struct Outcome {
    int status;
    std::string out, err;
};

inline std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs a command line through the shell; its output and errors are captured.
inline Outcome RunCommand(const std::string& commandLine) {
    TempFolder capture;
    const std::string command = commandLine + " >" + Quote((capture / "out").string()) + " 2>" +
                                Quote((capture / "err").string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(capture / "out"),
            ReadFile(capture / "err")};
}

// Runs the real zum-convert with the arguments, never the user's settings:
// our own settings file is looked for in `configHome` (an empty folder when
// none is given).
inline Outcome RunConvert(const std::vector<std::string>& args,
                          const std::filesystem::path& configHome = {}) {
    TempFolder emptyConfig;
    std::string command = "XDG_CONFIG_HOME=" +
                          Quote((configHome.empty() ? emptyConfig.path() : configHome).string()) +
                          " " + Quote(ZUM_CONVERT);
    for (const std::string& arg : args) {
        command.append(" ").append(Quote(arg));
    }
    return RunCommand(command);
}

inline std::vector<std::string> LinesOf(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

} // namespace zum::testing
