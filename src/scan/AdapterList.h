#pragma once

#include <QObject>
#include <QStringList>

// The names of the machine's Wi-Fi adapters, for a list to choose from. Reading it never
// waits: names() is the last listing, refresh() lists again without waiting, and changed()
// announces an answer that differs from the names known. A listing that fails keeps them.
class AdapterList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~AdapterList() override;

    QStringList names() const { return m_names; }
    // Asks again; the answer comes later, through changed() when it differs.
    virtual void refresh() = 0;

Q_SIGNALS:
    void changed(const QStringList &names);

protected:
    // A listing's answer.
    void take(const QStringList &names);

private:
    QStringList m_names;
};
