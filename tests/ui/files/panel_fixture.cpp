#include "panel_fixture.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace zum::testing {

void PanelTest::SetUp() {
    ASSERT_TRUE(tree.isValid());
    root_ = QDir::cleanPath(tree.path());
    for (const char* name :
         {"0511NMEA.TXT", "0511nmea.txt", "NMEA.TXT", "0511NMEA.LOG", "notes.txt"}) {
        Touch(Sub(QString::fromLatin1(name)));
    }
    ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("trip")));
    ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("empty")));
    Touch(Sub(QStringLiteral("trip/0612NMEA.TXT")));

    config.DataFilePath = root_.toStdString();
    area = std::make_unique<QWidget>();
    area->resize(480, 373);
    status = new QLineEdit(area.get());
    panel = std::make_unique<FilePanel>(area.get(), config, dialogs,
                                        [this](const QString& text) { status->setText(text); });
    dir1 = area->findChild<FolderList*>(QStringLiteral("Dir1"));
    file1 = area->findChild<FileList*>(QStringLiteral("File1"));
    ASSERT_TRUE(dir1 != nullptr && file1 != nullptr);
    area->show();
    panel->PlaceAtDataFolder();
}

void PanelTest::Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
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

QStringList PanelTest::FileNames() const {
    QStringList names;
    for (int i = 0; i < file1->count(); ++i) {
        names.append(file1->item(i)->text());
    }
    return names;
}

std::string PanelTest::Visibility() const {
    std::string shown;
    for (const char* name : {"Picture1", "Drive1", "Dir1", "File1", "cmdCancel", "cmdDone",
                             "cmdNewFolder", "cmdCancel2"}) {
        const auto* widget = area->findChild<QWidget*>(QString::fromLatin1(name));
        shown += widget != nullptr && !widget->isHidden() ? '1' : '0';
    }
    return shown;
}

} // namespace zum::testing
