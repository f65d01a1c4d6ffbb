#pragma once

#include "config/configuration.hpp"
#include "support/scripted_dialogs.hpp"
#include "ui/files/file_list.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/files/folder_list.hpp"

#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zum::testing {

// PanelTest::Visibility() of each mode.
inline constexpr const char* kClosed = "10000000";
inline constexpr const char* kFileMode = "01111000";
inline constexpr const char* kFolderMode = "01100111";

// A client area with a status box and the panel on it, over a temporary tree:
//   root/        0511NMEA.TXT 0511nmea.txt NMEA.TXT 0511NMEA.LOG notes.txt
//   root/trip/   0612NMEA.TXT
//   root/empty/
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;

    [[nodiscard]] QString Root() const { return root_; }
    [[nodiscard]] QString Sub(const QString& name) const { return root_ + '/' + name; }
    static void Touch(const QString& path);
    // Opens `path` as a user does: a double click on its entry in Dir1.
    void DoubleClickFolder(const QString& path);
    [[nodiscard]] QStringList FileNames() const;
    [[nodiscard]] QString DataFilePath() const {
        return QString::fromStdString(config.DataFilePath);
    }
    // Whether each of Picture1, Drive1, Dir1, File1, cmdCancel, cmdDone,
    // cmdNewFolder, cmdCancel2 is shown, as a string of 0 and 1.
    [[nodiscard]] std::string Visibility() const;

    QTemporaryDir tree;
    Configuration config;
    ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> area;
    QLineEdit* status = nullptr;
    std::unique_ptr<FilePanel> panel; // destroyed before the area
    FolderList* dir1 = nullptr;
    FileList* file1 = nullptr;

private:
    QString root_;
};

} // namespace zum::testing
