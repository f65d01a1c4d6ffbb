#pragma once

#include "support/scripted_dialogs.hpp"
#include "ui/window/main_window.hpp"

#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace zum::testing {

// Each test gets its own folder for the settings file, the logs and the home
// folder the defaults point at, so nothing touches the user's files.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    // A window started from settingsPath_, shown offscreen.
    std::unique_ptr<MainWindow> Start() {
        auto window = std::make_unique<MainWindow>(dialogs_, settingsPath_);
        window->show();
        return window;
    }

    QTemporaryDir tmp_;
    std::filesystem::path dir_, home_, configHome_, settingsPath_;
    ScriptedDialogs dialogs_;
};

// Triggers the action `name` (for a control array, its element `index`) as a
// click does.
void Click(const QWidget& window, const char* name, int index = -1);
// The check marks in menu order: the checked indices of the time zone, units,
// interval and port speed arrays ("-" for none), then 0/1 for At Stops and
// Interval Only, and for the four special purpose options. The defaults read
// "7 2 0 4 10 1111".
std::string Marks(const QWidget& window);
QString StatusText(const QWidget& window);

std::string ReadWhole(const std::filesystem::path& path);
void WriteWhole(const std::filesystem::path& path, const std::string& text);
// A settings file's text: the header line, then `lines` with each '|' a line
// break.
std::string SettingsText(const std::string& lines);

} // namespace zum::testing
