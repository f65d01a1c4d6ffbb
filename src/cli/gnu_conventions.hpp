#pragma once

#include <string>

namespace CLI {
class App;
}

namespace zum {

// The GNU conventions of zum-convert: --version, "zum-convert: " before every
// message of the option parser, and a help text that ends with how to give a
// log whose name starts with "-", where the settings come from and what the
// exit statuses mean.
void ApplyGnuConventions(CLI::App& app, const std::string& settingsPath);

} // namespace zum
