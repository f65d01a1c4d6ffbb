#include "panel_fixture.hpp"

#include <QDir>
#include <QFile>
#include <QTest>

namespace zum::testing {

void Touch(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        << path.toStdString();
}

void PanelTest::SetUp() {
    ASSERT_TRUE(tree.isValid());
    root = QDir::cleanPath(tree.path());
    ASSERT_TRUE(QDir(root).mkpath("trip") && QDir(root).mkpath("empty"));
    for (const char* name : {"0511NMEA.TXT", "0511nmea.txt", "NMEA.TXT", "0511NMEA.LOG",
                             "notes.txt", "trip/0612NMEA.TXT"}) {
        Touch(Sub(name));
    }
    qputenv("HOME", root.toLocal8Bit()); // with no settings file the window starts in HOME
    window = std::make_unique<MainWindow>(dialogs, (root + "/none.dat").toStdString());
    window->SetEventPacing(1, std::chrono::milliseconds(0));
    window->show();
    panel = &window->Panel();
    dir1 = window->findChild<FolderList*>("Dir1");
    file1 = window->findChild<FileList*>("File1");
    status = window->findChild<QLineEdit*>("txtStatus");
    ASSERT_TRUE(dir1 != nullptr && file1 != nullptr && status != nullptr);
}

void PanelTest::DoubleClickFolder(const QString& path) {
    for (int i = 0; i < dir1->count(); ++i) {
        if (dir1->item(i)->data(Qt::UserRole).toString() == path) {
            const QPoint at = dir1->visualItemRect(dir1->item(i)).center();
            QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, at);
            return;
        }
    }
    ADD_FAILURE() << "no entry for " << path.toStdString();
}

std::string PanelTest::Visibility() const {
    std::string shown;
    for (const char* name : {"Picture1", "Drive1", "Dir1", "File1", "cmdCancel", "cmdDone",
                             "cmdNewFolder", "cmdCancel2"}) {
        const auto* widget = window->findChild<QWidget*>(name);
        shown += widget != nullptr && !widget->isHidden() ? '1' : '0';
    }
    return shown;
}

} // namespace zum::testing
