// The QSettings back end on INI files: value names meet without regard to case, booleans are
// written as 0/1, and each key is one file.
#include "shell/ui/qt_settings_store.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/ui/shell.h"

using namespace padloom;

class QtSettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void namesMeetWithoutRegardToCase();
    void booleansAndTextsAsStored();
    void firstStartWritesTheXyFileOnly();
};

namespace {
QByteArray fileText(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
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

QTEST_MAIN(QtSettingsStoreTest)
#include "qt_settings_store_test.moc"
