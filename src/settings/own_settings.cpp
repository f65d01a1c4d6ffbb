#include "settings/own_settings.hpp"

#include "settings/atomic_save.hpp"
#include "settings/settings_file.hpp"

#include <fstream>
#include <string_view>
#include <system_error>

namespace zum {
namespace {

constexpr std::string_view kTalkersKey = "accept_other_talkers";
constexpr std::string_view kGpxKey = "write_gpx";
// The file holds a few short lines; anything much larger is not ours.
constexpr std::size_t kMaxFileSize = 64 * 1024;

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Applies one line; false when the line is damage.
bool ApplyLine(OwnSettings& settings, std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') {
        return true;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    bool* target = nullptr;
    if (key == kTalkersKey) {
        target = &settings.acceptOtherTalkers;
    } else if (key == kGpxKey) {
        target = &settings.writeGpx;
    } else {
        return true;
    }
    if (value != "0" && value != "1") {
        return false;
    }
    *target = value == "1";
    return true;
}

} // namespace

std::filesystem::path DefaultOwnSettingsPath() {
    return DefaultSettingsPath().parent_path() / "zum-points.conf";
}

OwnSettingsStatus ReadOwnSettings(OwnSettings& settings, const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        return OwnSettingsStatus::Missing;
    }
    // Only a regular file is read, so a FIFO or a device can never block or
    // flood the reader.
    if (!std::filesystem::is_regular_file(status) ||
        std::filesystem::file_size(path, ec) > kMaxFileSize || ec) {
        return OwnSettingsStatus::Damaged;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return OwnSettingsStatus::Damaged;
    }
    OwnSettings read = settings;
    bool damaged = false;
    std::string line;
    while (std::getline(in, line)) {
        damaged = !ApplyLine(read, line) || damaged;
    }
    settings = read;
    return damaged || in.bad() ? OwnSettingsStatus::Damaged : OwnSettingsStatus::Read;
}

bool WriteOwnSettings(const OwnSettings& settings, const std::filesystem::path& path,
                      std::string& message) {
    std::string content =
        "# ZUM-POINTS settings of its own (the logger's are in zum-settings.dat)\n";
    const auto line = [&content](std::string_view key, bool value) {
        content.append(key).append(value ? "=1\n" : "=0\n");
    };
    line(kTalkersKey, settings.acceptOtherTalkers);
    line(kGpxKey, settings.writeGpx);
    return SaveSettingsText(path, content, message);
}

} // namespace zum
