#pragma once

#include "config/main_window.hpp"
#include "support/scripted_dialogs.hpp"

#include <QList>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QAction;

namespace zum::testing {

// Each test gets its own folder for the settings file, the logs and the home
// folder the defaults point at, so nothing touches the user's files.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A window started from settingsPath_, shown offscreen.
    std::unique_ptr<MainWindow> Start();

    std::filesystem::path dir_;
    std::filesystem::path home_;
    std::filesystem::path settingsPath_;
    ScriptedDialogs dialogs_;

private:
    std::string savedHome_;
    bool hadHome_ = false;
};

// The action named `name`; for a control array, its element `index`.
QAction* FindAction(const QWidget& window, const char* name, int index = -1);
// Triggers an action as a click does.
void Click(const QWidget& window, const char* name, int index = -1);
// The indices of the checked elements of a control array, in menu order.
QList<int> CheckedIndices(const QWidget& window, const char* name);
bool Checked(const QWidget& window, const char* name);
QString StatusText(const QWidget& window);
// The shown top-level window named `name`, and the names of all shown ones.
QWidget* OpenWindow(const char* name);
QStringList OpenWindowNames();

// A settings file of the given lines 2 to 13 (or fewer, for a short file),
// with the header line before them.
void WriteSettingsLines(const std::filesystem::path& path, const std::vector<std::string>& lines);
std::string ReadWhole(const std::filesystem::path& path);
void WriteWhole(const std::filesystem::path& path, const std::string& text);

} // namespace zum::testing
