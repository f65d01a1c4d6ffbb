#include "cli/gnu_conventions.hpp"

#include "version/version.hpp"

#include <CLI/CLI.hpp>

namespace zum {

void ApplyGnuConventions(CLI::App& app, const std::string& settingsPath) {
    app.set_version_flag("--version", std::string("zum-convert ") + kVersion,
                         "print the name and version, then exit");
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("zum-convert: ") + e.what() +
               "\nTry 'zum-convert --help' for more information.\n";
    });
    app.footer("\"--\" ends the options, so a log whose name starts with \"-\" can be given:\n"
               "  zum-convert -- -x.TXT\n"
               "\n"
               "Unset options take their values from the settings file " +
               settingsPath +
               "\n(--settings FILE chooses another; a missing file means built-in defaults).\n"
               "\n"
               "Exit status:\n"
               "  0  every log was converted\n"
               "  1  a log could not be read or its files could not be written\n"
               "  2  usage error (a bad option or value)");
}

} // namespace zum
