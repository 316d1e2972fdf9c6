#include "shell/ui/qt_settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace padloom::ui {

namespace {

// "\Software\Castorvane-6" -> "Castorvane-6"
QString keyLeaf(std::string_view key) {
    QString k = QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
    return k.section('\\', -1);
}

QString nameText(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// The stored spelling of a value name that equals `name` without regard to case.
QString storedName(const QSettings& s, const QString& name) {
    for (const QString& k : s.childKeys()) {
        if (k.compare(name, Qt::CaseInsensitive) == 0) {
            return k;
        }
    }
    return {};
}

}  // namespace

QtSettingsStore::QtSettingsStore(QString folder, bool forceIni) : m_folder(std::move(folder)) {
#ifdef Q_OS_WIN
    m_registry = !forceIni;
#else
    (void)forceIni;
#endif
    if (m_registry) {
        m_folder.clear();
    } else if (m_folder.isEmpty()) {
        m_folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Castorvane";
    }
}

QtSettingsStore::~QtSettingsStore() = default;

std::unique_ptr<QSettings> QtSettingsStore::open(std::string_view key) const {
    if (m_registry) {
        return std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\" + keyLeaf(key),
                                           QSettings::NativeFormat);
    }
    return std::make_unique<QSettings>(m_folder + "/" + keyLeaf(key) + ".ini",
                                       QSettings::IniFormat);
}

bool QtSettingsStore::keyExists(std::string_view key) const {
    if (m_registry) {
        QSettings software("HKEY_CURRENT_USER\\Software", QSettings::NativeFormat);
        const QString leaf = keyLeaf(key);
        for (const QString& g : software.childGroups()) {
            if (g.compare(leaf, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
        return false;
    }
    return QFileInfo::exists(m_folder + "/" + keyLeaf(key) + ".ini");
}

void QtSettingsStore::createKey(std::string_view key) {
    if (keyExists(key)) {
        return;
    }
    if (m_registry) {
        // a key appears with its first value; write and remove a marker to make it exist
        auto s = open(key);
        s->setValue("~", 0);
        s->remove("~");
        s->sync();
        return;
    }
    QDir().mkpath(m_folder);
    QFile file(m_folder + "/" + keyLeaf(key) + ".ini");
    file.open(QIODevice::WriteOnly);  // failures to create a key are silent
}

std::optional<shell::StoredValue> QtSettingsStore::value(std::string_view key,
                                                         std::string_view name) const {
    if (!keyExists(key)) {
        return std::nullopt;
    }
    auto s = open(key);
    QString stored = storedName(*s, nameText(name));
    if (stored.isEmpty()) {
        return std::nullopt;
    }
    QVariant v = s->value(stored);
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt ||
        v.typeId() == QMetaType::LongLong) {
        return static_cast<int>(v.toLongLong());
    }
    // INI files keep no types: a text that is a whole integer is an integer value
    QString text = v.toString();
    bool ok = false;
    int i = text.trimmed().toInt(&ok);
    if (ok && !m_registry) {
        return i;
    }
    return text.toLatin1().toStdString();
}

void QtSettingsStore::setValue(std::string_view key, std::string_view name,
                               const shell::StoredValue& v) {
    if (!m_registry) {
        QDir().mkpath(m_folder);
    }
    auto s = open(key);
    QString n = nameText(name);
    QString stored = storedName(*s, n);
    if (!stored.isEmpty()) {
        n = stored;  // keep the first spelling, as the registry does
    }
    if (std::holds_alternative<int>(v)) {
        s->setValue(n, std::get<int>(v));  // booleans arrive here as 0 or 1
    } else {
        const std::string& t = std::get<std::string>(v);
        s->setValue(n, QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
    }
    s->sync();
}

}  // namespace padloom::ui
