#pragma once

#include <QHash>
#include <QString>
#include <memory>

class QSettings;

// Where preference texts live. The desktop build uses QSettings; tests and
// the headless scanner use the in-memory store so they never touch the
// user's own settings.
class PreferenceStore {
public:
    virtual ~PreferenceStore() = default;
    virtual QString value(const QString &key) const = 0; // null when absent
    virtual void setValue(const QString &key, const QString &value) = 0;
    virtual void sync() = 0;
};

class MemoryPreferenceStore : public PreferenceStore {
public:
    QString value(const QString &key) const override { return m_values.value(key); }
    void setValue(const QString &key, const QString &value) override {
        m_values.insert(key, value);
    }
    void sync() override {}

private:
    QHash<QString, QString> m_values;
};

// A settings file that is not a plain file (a FIFO, a device) is neither read
// nor written: the values then live in memory only.
class SettingsPreferenceStore : public PreferenceStore {
public:
    SettingsPreferenceStore(); // the user's "Airlume" settings
    explicit SettingsPreferenceStore(const QString &iniPath);
    ~SettingsPreferenceStore() override;
    QString value(const QString &key) const override;
    void setValue(const QString &key, const QString &value) override;
    void sync() override;

private:
    std::unique_ptr<QSettings> m_settings; // null: m_memory holds the values
    MemoryPreferenceStore m_memory;
};
