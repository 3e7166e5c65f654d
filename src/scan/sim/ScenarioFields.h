#pragma once

#include "ScenarioReader.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Checks the values of a scenario file field by field. The first problem found
// is kept as "<place>: <problem>", the place being a path such as
// scans[2].networks[5].rssi.
class ScenarioFields {
public:
    QString problem() const { return m_problem; }
    bool fail(const QString &place, const QString &problem);

    static QString typeName(const QJsonValue &value);
    // File text quoted for a message: short, and never breaking the line.
    static QString quoted(const QString &text);
    static QString at(const QString &place, const char *key);
    static QString at(const QString &place, qsizetype index);

    bool readObject(const QJsonValue &value, const QString &place, QJsonObject *out);
    bool checkKeys(const QJsonObject &object, const QString &place,
                   std::initializer_list<const char *> allowed);
    bool readBssidValue(const QJsonValue &value, const QString &where, QString *out);
    bool readInterface(const QJsonObject &root, Scenario *scenario);
    bool readRepeat(const QJsonObject &root, Scenario *scenario);
    // One network: explicit facts, or element bytes recorded off the air.
    bool readNetwork(const QJsonValue &value, const QString &place, ScanResult *network);
    // A recorded scan's time: ISO 8601 with a zone, to ms since the epoch.
    bool readTime(const QJsonValue &value, const QString &where, qint64 *out);
    // The interface's own view of the joined network (bssid left alone).
    bool readLink(const QJsonValue &value, const QString &place, JoinedLink *out);

private:
    bool readInt(const QJsonObject &object, const QString &place, const char *key, int min, int max,
                 int *out);
    bool readIntValue(const QJsonValue &value, const QString &where, int min, int max, int *out);
    bool readBssid(const QJsonObject &object, const QString &place, QString *out);
    bool readCodes(const QJsonObject &object, const QString &place, const char *key, int highest,
                   CodeSet *out);
    bool readExplicitNetwork(const QJsonObject &object, const QString &place, ScanResult *network);
    bool readSsid(const QJsonObject &object, const QString &place, QString *out);
    bool readRawNetwork(const QJsonObject &object, const QString &place, ScanResult *network);
    bool readHex(const QJsonValue &value, const QString &where, std::vector<std::uint8_t> *out);

    QString m_problem;
};
