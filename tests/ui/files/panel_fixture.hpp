#pragma once

#include "support/scripted_dialogs.hpp"
#include "ui/files/file_list.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/files/folder_list.hpp"
#include "ui/window/main_window.hpp"

#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace zum::testing {

// Visibility() in each mode: whether each of Picture1, Drive1, Dir1, File1,
// cmdCancel, cmdDone, cmdNewFolder, cmdCancel2 is shown.
inline constexpr const char* kClosed = "10000000";
inline constexpr const char* kFileMode = "01111000";
inline constexpr const char* kFolderMode = "01100111";

// Creates the file `path` holding `text`.
void Touch(const QString& path, const QByteArray& text = {});

// The main window over a temporary tree, which is its data folder:
//   root/  0511NMEA.TXT 0511nmea.txt NMEA.TXT 0511NMEA.LOG notes.txt
//          trip/0612NMEA.TXT  empty/
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;

    [[nodiscard]] QString Sub(const QString& name) const { return root + '/' + name; }
    // Opens `path` as a user does: a double click on its entry in Dir1.
    void DoubleClickFolder(const QString& path);
    [[nodiscard]] QStringList FileNames() const {
        QStringList names;
        for (int i = 0; i < file1->count(); ++i) {
            names.append(file1->item(i)->text());
        }
        return names;
    }
    // The folder that Dir1, File1 and the data folder setting agree on, else all three.
    [[nodiscard]] QString Folder() const {
        const QStringList paths{dir1->Path(), file1->Path(),
                                QString::fromStdString(window->Config().DataFilePath)};
        return paths.count(paths[0]) == 3 ? paths[0] : paths.join(" | ");
    }
    [[nodiscard]] std::string Visibility() const;

    QTemporaryDir tree;
    QString root;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    FilePanel* panel = nullptr;
    FolderList* dir1 = nullptr;
    FileList* file1 = nullptr;
    QLineEdit* status = nullptr;
};

} // namespace zum::testing
