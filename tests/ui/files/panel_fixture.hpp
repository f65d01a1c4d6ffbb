#pragma once

#include "config/configuration.hpp"
#include "support/scripted_dialogs.hpp"
#include "ui/files/drive_list.hpp"
#include "ui/files/file_list.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/files/folder_list.hpp"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zum::testing {

// A client area with a status box and the panel on it, over a temporary tree:
//   root/            0511NMEA.TXT 0511nmea.txt NMEA.TXT 0511NMEA.LOG notes.txt
//   root/trip/       0612NMEA.TXT
//   root/empty/
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The tree's folders in the folder list's form.
    [[nodiscard]] QString Root() const { return root_; }
    [[nodiscard]] QString Sub(const QString& name) const { return root_ + QLatin1Char('/') + name; }
    static void Touch(const QString& path);

    // Opens `path` as a user does: a double click on its entry in Dir1.
    void DoubleClickFolder(const QString& path);
    [[nodiscard]] QListWidgetItem* FolderEntry(const QString& path) const;
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
    // Every text given to the status box, with the file list's path and
    // DataFilePath at that moment: "text | file list path | DataFilePath".
    QStringList statusCalls;
    std::unique_ptr<FilePanel> panel;
    DriveList* drive1 = nullptr;
    FolderList* dir1 = nullptr;
    FileList* file1 = nullptr;
    QPushButton* cmdDone = nullptr;

private:
    QString root_;
};

} // namespace zum::testing
