// The QSettings back end on INI files: value names meet without regard to case, booleans are
// written as 0/1, and each key is one file.
#include "shell/ui/qt_settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "annotate/ui/placement_window.h"
#include "convert/ui/apt_builder_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/ui/controls.h"
#include "shell/ui/launcher.h"
#include "shell/ui/shell.h"

using namespace padloom;

class QtSettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void namesMeetWithoutRegardToCase();
    void booleansAndTextsAsStored();
    void firstStartWritesTheXyFileOnly();
    void earlierSettingsRoundTripThroughEveryWindow();
};

namespace {
QByteArray fileText(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

/// Every value of one INI file as name -> text, read straight through QSettings.
QMap<QString, QString> iniValues(const QString& path) {
    QSettings s(path, QSettings::IniFormat);
    QMap<QString, QString> values;
    for (const QString& name : s.childKeys()) {
        values[name] = s.value(name).toString();
    }
    return values;
}

/// Writes one key's values as an earlier version of the program left them.
void writeIni(const QString& path, const QMap<QString, QString>& values) {
    QSettings s(path, QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it) {
        s.setValue(it.key(), it.value());
    }
}
}  // namespace

void QtSettingsStoreTest::namesMeetWithoutRegardToCase() {
    QTemporaryDir dir;
    ui::QtSettingsStore store(dir.path(), true);
    const std::string key = "\\Software\\Castorvane-3";
    QVERIFY(!store.keyExists(key));
    QVERIFY(!store.readInt(key, "SpinEdit1"));
    store.writeInt(key, "Spinedit1", 7);
    QVERIFY(store.keyExists(key));
    QCOMPARE(store.readInt(key, "SpinEdit1"), std::optional<int>(7));
    store.writeInt(key, "SPINEDIT1", 8);
    QCOMPARE(store.readInt(key, "spinedit1"), std::optional<int>(8));
    const QByteArray text = fileText(dir.path() + "/Castorvane-3.ini");
    QVERIFY(text.contains("Spinedit1=8"));
    QVERIFY(!text.contains("SpinEdit1"));
    QVERIFY(!text.contains("SPINEDIT1"));
}

void QtSettingsStoreTest::booleansAndTextsAsStored() {
    QTemporaryDir dir;
    ui::QtSettingsStore store(dir.path(), true);
    const std::string key = "\\Software\\Castorvane-6";
    store.writeBool(key, "CheckBox18", true);
    store.writeBool(key, "CheckBox23", false);
    store.writeText("\\Software\\Castorvane", "DIRECTORY", "/home/me/jobs/");
    QCOMPARE(store.readBool(key, "checkbox18"), std::optional<bool>(true));
    QCOMPARE(store.readBool(key, "CheckBox23"), std::optional<bool>(false));
    const QByteArray text = fileText(dir.path() + "/Castorvane-6.ini");
    QVERIFY(text.contains("CheckBox18=1"));
    QVERIFY(!text.contains("true"));
    QCOMPARE(store.value("\\Software\\Castorvane", "Directory"),
             std::optional<shell::StoredValue>(std::string("/home/me/jobs/")));
    store.writeText("\\Software\\Castorvane", "Mode", "abc");
    QVERIFY(!store.readInt("\\Software\\Castorvane", "Mode"));
}

void QtSettingsStoreTest::firstStartWritesTheXyFileOnly() {
    QTemporaryDir dir;
    {
        ui::QtSettingsStore store(dir.path(), true);
        ui::ShellHooks hooks;
        hooks.showBox = [](QWidget*, common::Box, const QString& text) {
            QFAIL(qPrintable("unexpected box: " + text));
        };
        ui::Shell shell(store, hooks);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Castorvane.ini"});
    ui::QtSettingsStore again(dir.path(), true);
    QCOMPARE(again.readInt("\\Software\\Castorvane", "BotLeg"), std::optional<int>(3));
    QCOMPARE(again.value("\\Software\\Castorvane", "DIRECTORY"),
             std::optional<shell::StoredValue>(std::string()));
}

// Settings files an earlier version wrote, with every value name it used and every value away
// from its default, are read by the windows and written back unchanged when each window is
// shown and closed: the value names, their spelling and their meaning hold.
void QtSettingsStoreTest::earlierSettingsRoundTripThroughEveryWindow() {
    QTemporaryDir dir;
    // the plot windows' boxes: every layer, include and pour box ticked against its default,
    // "Board Layer" of "Include" (tag 18) unticked, and one box of each exclusive pair
    auto plotBoxes = [](std::initializer_list<int> tags) {
        QMap<QString, QString> v;
        for (int tag : tags) {
            v["CheckBox" + QString::number(tag)] = tag == 18 || tag == 31 || tag == 40 ? "0" : "1";
        }
        return v;
    };
    QMap<QString, QMap<QString, QString>> files;
    files["Castorvane"] = {{"DIRECTORY", "/boards/job 7/"},
                           {"TopLeg", "9"},
                           {"BotLeg", "10"},
                           {"TopFill", "11"},
                           {"BotFill", "12"},
                           {"Digits", "3"},
                           {"Precision", "5"},
                           {"Mode", "1"},
                           {"Suppression", "2"}};
    files["Castorvane-2"] = {{"SpinEdit1", "4"},   {"SpinEdit2", "6"},   {"RadioGroup3", "1"},
                             {"RadioGroup4", "2"}, {"RadioGroup5", "0"}, {"RadioGroup6", "1"},
                             {"FormX", "210"},     {"FormY", "220"}};
    // the aperture builder wrote its spin edits as "Spinedit"
    files["Castorvane-3"] = {{"CheckBox1", "1"}, {"Spinedit1", "7"}, {"Spinedit2", "1"},
                             {"Spinedit3", "8"}, {"Spinedit4", "9"}, {"Spinedit5", "-10"},
                             {"FormX", "230"},   {"FormY", "240"}};
    files["Castorvane-6"] = plotBoxes({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                       15, 16, 17, 18, 19, 20, 21, 22, 23, 30, 31, 40, 41});
    files["Castorvane-6"].insert({{"FormX", "250"}, {"FormY", "260"}});
    files["Castorvane-7"] = {{"FormX", "270"}, {"FormY", "280"}};
    files["Castorvane-9"] = plotBoxes({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                       14, 15, 16, 17, 18, 19, 21, 23, 30, 31, 40, 41});
    files["Castorvane-9"].insert(
        {{"FormX", "290"}, {"FormY", "300"}, {"SE1", "11"}, {"SE2", "-12"}, {"SE3", "1300"}});
    for (auto it = files.begin(); it != files.end(); ++it) {
        writeIni(dir.filePath(it.key() + ".ini"), it.value());
    }

    ui::QtSettingsStore store(dir.path(), true);
    ui::ShellHooks hooks;
    QStringList boxes;
    hooks.showBox = [&](QWidget*, common::Box, const QString& text) { boxes << text; };
    {
        ui::Shell shell(store, hooks);
        QVERIFY(boxes.isEmpty());
        // a few values as the windows show them
        QCOMPARE(shell.placementWindow->gerberFormat.precision, 5);
        QCOMPARE(shell.placementWindow->openDialog().initialDir, QString("/boards/job 7/"));
        auto* topLegend = shell.placementWindow->findChild<QComboBox*>("ComboBox1");
        QVERIFY(topLegend);
        QCOMPARE(topLegend->currentIndex(), 9);
        auto* boardLayer = shell.gerberPlotWindow->findChild<QCheckBox*>("CheckBox24");
        QVERIFY(boardLayer);
        QCOMPARE(ui::tagOf(boardLayer), 23);
        QVERIFY(boardLayer->isChecked());
        auto* paste = shell.aptBuilderWindow->findChild<ui::SpinEdit*>("SpinEdit3");
        QVERIFY(paste);
        QCOMPARE(paste->value(), 1);
        QCOMPARE(shell.launcher->pos(), QPoint(270, 280));
        // settings of a version without the X2 box leave it off
        auto* x2 = shell.gerberPlotWindow->findChild<QCheckBox*>("GerberX2Box");
        QVERIFY(x2);
        QVERIFY(!x2->isChecked());

        for (QWidget* w : shell.windows()) {
            if (auto* d = qobject_cast<QDialog*>(w)) {
                d->show();
                d->done(0);
            }
        }
        shell.launcher->show();
        shell.launcher->close();
    }
    QVERIFY(boxes.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), files.size());
    // every value comes back as it was; the plot windows add their X2 and macro boxes, off
    for (const char* key : {"Castorvane-6", "Castorvane-9"}) {
        files[key].insert("GerberX2", "0");
        files[key].insert("NoMacros", "0");
    }
    for (auto it = files.begin(); it != files.end(); ++it) {
        QCOMPARE(iniValues(dir.filePath(it.key() + ".ini")), it.value());
    }
}

QTEST_MAIN(QtSettingsStoreTest)
#include "qt_settings_store_test.moc"
