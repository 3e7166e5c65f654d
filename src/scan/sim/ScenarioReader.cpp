#include "ScenarioReader.h"

#include "JsonSpans.h"
#include "ScenarioFields.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using jsonspans::ContainerWalk;
using jsonspans::Span;

constexpr qint64 kFileMaxBytes = scenariolimits::fileMaxBytes;
constexpr qsizetype kScansMax = scenariolimits::scansMax;
constexpr qsizetype kNetworksMax = scenariolimits::networksMax;
// A value built whole (a network, the interface, the description); a network
// with the most element bytes allowed takes about 9 KiB.
constexpr qsizetype kValueMaxBytes = 64 * 1024;

QString syntaxPlace(QByteArrayView json, const jsonspans::Problem &problem) {
    // Qt reports the offset just past the character it choked on.
    const qsizetype culprit = std::clamp<qsizetype>(problem.offset - 1, 0, json.size());
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < culprit; ++i) {
        if (json[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(culprit - lineStart + 1);
}

// Walks the top level, the scan list and each scan and its network list
// itself, and has Qt's parser build only the values inside them, one at a
// time: memory then follows the scenario read, not the JSON document.
class Reader : public ScenarioFields {
public:
    explicit Reader(QByteArrayView json)
        : m_json(json) {}

    std::optional<Scenario> read() {
        const qsizetype start =
            jsonspans::skipSpace(m_json, m_json.startsWith("\xef\xbb\xbf") ? 3 : 0);
        if (start == m_json.size())
            return syntaxFailed({QJsonParseError::IllegalValue, start});
        if (m_json[start] == '[')
            return failed(QStringLiteral("top level"),
                          QStringLiteral("must be an object, not an array"));
        if (m_json[start] != '{')
            return syntaxFailed({QJsonParseError::IllegalValue, start + 1});
        const Span root = jsonspans::valueAt(m_json, start);
        // More after the object makes JSON Lines, unless the object holds the scans itself.
        const qsizetype after = jsonspans::skipSpace(m_json, root.end);
        const bool lines = after < m_json.size() && !holdsScans(root);
        if (after < m_json.size() && !lines)
            return syntaxFailed({QJsonParseError::GarbageAtEnd, after}); // Qt's offset here
        if (lines && m_json.sliced(start, root.size()).contains('\n'))
            return failed(QStringLiteral("top level"),
                          QStringLiteral("a JSON Lines header must be one line"));

        // In file order, so the first problem in the file is the one reported.
        Scenario scenario;
        QJsonObject top; // everything but the scans, which are walked
        bool scans = false;
        ContainerWalk walk(m_json, root);
        while (walk.next()) {
            const QString &key = walk.key();
            if (key == QLatin1String("scans")) {
                // A repeated key counts once, the last time, as in a QJsonObject.
                scenario.scans.clear();
                m_networks = 0;
                if (!readScans(walk.value(), &scenario))
                    return std::nullopt;
                scans = true;
                continue;
            }
            if (key != QLatin1String("description") && key != QLatin1String("interface") &&
                key != QLatin1String("repeat"))
                return failed(QStringLiteral("top level"),
                              QStringLiteral("unknown field ") + quoted(key));
            QJsonValue value;
            if (!build(walk.value(), key, &value))
                return std::nullopt;
            top.insert(key, value);
        }
        if (walk.failed())
            return syntaxFailed(walk.problem());

        const QJsonValue description = top.value(QLatin1String("description"));
        if (!description.isUndefined() && !description.isString())
            return failed(QStringLiteral("description"),
                          QStringLiteral("must be a string, not ") + typeName(description));
        if (!readInterface(top, &scenario) || !readRepeat(top, &scenario))
            return std::nullopt;
        if (lines)
            return readLines(root.end, std::move(scenario));
        if (!scans)
            return failed(QStringLiteral("scans"), QStringLiteral("missing"));
        return scenario;
    }

private:
    bool holdsScans(Span root) {
        ContainerWalk walk(m_json, root);
        while (walk.next()) {
            if (walk.key() == QLatin1String("scans"))
                return true;
        }
        return false;
    }

    // The scans of JSON Lines, one per line after the header's. A recording
    // writes each line whole and in one piece, so only the last can be cut
    // short (a crash, a pulled cord); such a line is left out with a warning.
    std::optional<Scenario> readLines(qsizetype headerEnd, Scenario scenario) {
        qsizetype lineEnd = m_json.indexOf('\n', headerEnd);
        if (lineEnd < 0)
            lineEnd = m_json.size();
        if (const qsizetype rest = skipBlanks(headerEnd, lineEnd); rest < lineEnd)
            return syntaxFailed({QJsonParseError::GarbageAtEnd, rest + 1});
        int lineNumber = 1 + static_cast<int>(m_json.first(headerEnd).count('\n'));
        while (lineEnd < m_json.size()) {
            const qsizetype lineStart = lineEnd + 1;
            ++lineNumber;
            lineEnd = m_json.indexOf('\n', lineStart);
            if (lineEnd < 0)
                lineEnd = m_json.size();
            const qsizetype start = skipBlanks(lineStart, lineEnd);
            if (start == lineEnd)
                continue;
            const bool last = jsonspans::skipSpace(m_json, lineEnd) == m_json.size();
            m_syntaxFault = false;
            if (readLine(start, lineEnd, lineNumber, &scenario))
                continue;
            if (!last || !m_syntaxFault)
                return std::nullopt;
            scenario.truncationWarning = QStringLiteral("line %1 is cut short and left out (%2)")
                                             .arg(lineNumber)
                                             .arg(problem());
            break;
        }
        if (scenario.scans.isEmpty())
            return failed(QStringLiteral("line %1").arg(lineNumber),
                          QStringLiteral("a recording must hold at least one whole scan"));
        return scenario;
    }

    qsizetype skipBlanks(qsizetype at, qsizetype end) const {
        while (at < end && (m_json[at] == ' ' || m_json[at] == '\t' || m_json[at] == '\r'))
            ++at;
        return at;
    }

    bool readLine(qsizetype start, qsizetype lineEnd, int lineNumber, Scenario *scenario) {
        const QString place = QStringLiteral("line %1").arg(lineNumber);
        if (scenario->scans.size() == kScansMax)
            return fail(place, QStringLiteral("a scenario holds at most %1 scans").arg(kScansMax));
        if (m_json[start] != '{')
            return isContainer(jsonspans::valueAt(m_json, start), '{', place,
                               QStringLiteral("must be an object, not "));
        const Span span = jsonspans::valueAt(m_json, start);
        // An object the line does not close is cut short, whatever follows.
        if (span.end > lineEnd || m_json[span.end - 1] != '}')
            return syntaxError({QJsonParseError::UnterminatedObject, lineEnd + 1});
        if (const qsizetype rest = skipBlanks(span.end, lineEnd); rest < lineEnd)
            return syntaxError({QJsonParseError::GarbageAtEnd, rest + 1});
        ScenarioScan scan;
        if (!readScan(span, place, &scan))
            return false;
        scenario->scans.append(std::move(scan));
        return true;
    }

    std::nullopt_t failed(const QString &place, const QString &problem) {
        fail(place, problem);
        return std::nullopt;
    }
    bool syntaxError(const jsonspans::Problem &problem) {
        m_syntaxFault = true;
        QJsonParseError error;
        error.error = problem.error;
        return fail(syntaxPlace(m_json, problem), error.errorString());
    }
    std::nullopt_t syntaxFailed(const jsonspans::Problem &problem) {
        syntaxError(problem);
        return std::nullopt;
    }

    // Qt's value of a span small enough to build whole.
    bool build(Span span, const QString &place, QJsonValue *out) {
        if (span.size() > kValueMaxBytes)
            return fail(place, QStringLiteral("is larger than %1 KiB").arg(kValueMaxBytes >> 10));
        jsonspans::Problem problem;
        *out = jsonspans::parse(m_json, span, &problem);
        return !out->isUndefined() || syntaxError(problem);
    }

    // Whether the span is the container opened by `bracket`; when it is some
    // other value, the problem names its type.
    bool isContainer(Span span, char bracket, const QString &place, const QString &must) {
        if (m_json[span.begin] == bracket)
            return true;
        QJsonValue value;
        return build(span, place, &value) && fail(place, must + typeName(value));
    }

    bool readScans(Span span, Scenario *scenario) {
        const QString place = QStringLiteral("scans");
        if (!isContainer(span, '[', place, QStringLiteral("must be an array, not ")))
            return false;
        ContainerWalk walk(m_json, span);
        while (walk.next()) {
            const QString where = at(place, scenario->scans.size());
            if (scenario->scans.size() == kScansMax)
                return fail(where,
                            QStringLiteral("a scenario holds at most %1 scans").arg(kScansMax));
            ScenarioScan scan;
            if (!readScan(walk.value(), where, &scan))
                return false;
            scenario->scans.append(std::move(scan));
        }
        if (walk.failed())
            return syntaxError(walk.problem());
        return !scenario->scans.isEmpty() ||
               fail(place, QStringLiteral("must hold at least one scan"));
    }

    bool readScan(Span span, const QString &place, ScenarioScan *scan) {
        if (!isContainer(span, '{', place, QStringLiteral("must be an object, not ")))
            return false;
        std::optional<Span> joined, error, networks, time, link;
        ContainerWalk walk(m_json, span);
        while (walk.next()) {
            const QString &key = walk.key();
            if (key == QLatin1String("joined"))
                joined = walk.value();
            else if (key == QLatin1String("time"))
                time = walk.value();
            else if (key == QLatin1String("link"))
                link = walk.value();
            else if (key == QLatin1String("error"))
                error = walk.value();
            else if (key == QLatin1String("networks"))
                networks = walk.value();
            else
                return fail(place, QStringLiteral("unknown field ") + quoted(key));
        }
        if (walk.failed())
            return syntaxError(walk.problem());

        if (error) {
            QJsonValue value;
            if (!build(*error, at(place, "error"), &value))
                return false;
            if (!value.isBool())
                return fail(at(place, "error"),
                            QStringLiteral("must be true or false, not ") + typeName(value));
            scan->error = value.toBool();
        }
        // A failed scan heard nothing, so it may leave its networks out.
        const QString networksPlace = at(place, "networks");
        if (!networks && !scan->error)
            return fail(networksPlace, QStringLiteral("missing"));
        if (networks && !readNetworks(*networks, networksPlace, scan))
            return false;
        if (joined && !readJoined(*joined, at(place, "joined"), scan))
            return false;
        QJsonValue value;
        if (time && (!build(*time, at(place, "time"), &value) ||
                     !readTime(value, at(place, "time"), &scan->timeMs)))
            return false;
        if (!link)
            return true;
        if (scan->joinedIndex < 0)
            return fail(at(place, "link"), QStringLiteral("needs a joined network"));
        scan->link.emplace();
        scan->link->bssid = scan->networks[scan->joinedIndex].bssid;
        return build(*link, at(place, "link"), &value) &&
               readLink(value, at(place, "link"), &*scan->link);
    }

    bool readNetworks(Span span, const QString &place, ScenarioScan *scan) {
        if (!isContainer(span, '[', place, QStringLiteral("must be an array, not ")))
            return false;
        QSet<QString> seen;
        ContainerWalk walk(m_json, span);
        while (walk.next()) {
            const QString where = at(place, scan->networks.size());
            if (m_networks == kNetworksMax)
                return fail(where, QStringLiteral("a scenario holds at most %1 networks in all")
                                       .arg(kNetworksMax));
            QJsonValue value;
            ScanResult network;
            if (!build(walk.value(), where, &value) || !readNetwork(value, where, &network))
                return false;
            if (seen.contains(network.bssid))
                return fail(at(where, "bssid"),
                            network.bssid + QStringLiteral(" appears twice in this scan"));
            seen.insert(network.bssid);
            scan->networks.append(std::move(network));
            ++m_networks;
        }
        return !walk.failed() || syntaxError(walk.problem());
    }

    bool readJoined(Span span, const QString &place, ScenarioScan *scan) {
        QJsonValue joined;
        if (!build(span, place, &joined))
            return false;
        QString bssid;
        if (joined.isNull() || !readBssidValue(joined, place, &bssid))
            return joined.isNull();
        for (qsizetype i = 0; i < scan->networks.size(); ++i) {
            if (scan->networks[i].bssid == bssid) {
                scan->joinedIndex = static_cast<int>(i);
                scan->networks[i].associated = true;
                return true;
            }
        }
        return fail(place, bssid + QStringLiteral(" is not among this scan's networks"));
    }

    QByteArrayView m_json;
    qsizetype m_networks = 0;   // in all scans so far
    bool m_syntaxFault = false; // the problem found is one of JSON syntax
};

// Opens a plain file for reading. Opening a FIFO blocks until a writer comes
// and a device may never end, so the file is opened without blocking and
// anything but a regular file is refused before a read can wait on it.
bool openRegularFile(const QString &path, QFile *file, QString *problem) {
    if (path.startsWith(QLatin1Char(':'))) { // a Qt resource
        file->setFileName(path);
        if (file->open(QIODevice::ReadOnly))
            return true;
        *problem = QStringLiteral("cannot be read: ") + file->errorString();
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *problem =
            QStringLiteral("cannot be read: ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *problem = QStringLiteral("cannot be read: not a regular file");
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    *problem = QStringLiteral("cannot be read: ") + file->errorString();
    return false;
}

} // namespace

std::optional<Scenario> readScenario(const QByteArray &json, const QString &sourceName,
                                     QString *error) {
    const auto report = [&](const QString &problem) {
        if (error)
            *error = sourceName + QStringLiteral(": ") + problem;
        return std::nullopt;
    };

    if (std::all_of(json.begin(), json.end(), [](char c) { return std::isspace(uchar(c)); }))
        return report(QStringLiteral("the file is empty"));
    Reader reader(json);
    std::optional<Scenario> scenario = reader.read();
    if (!scenario)
        return report(reader.problem());
    scenario->sourceName = sourceName;
    return scenario;
}

std::optional<Scenario> readScenarioFile(const QString &path, QString *error) {
    QFile file;
    QString problem;
    if (!openRegularFile(path, &file, &problem)) {
        if (error)
            *error = path + QStringLiteral(": ") + problem;
        return std::nullopt;
    }
    const QByteArray json = file.read(std::min(file.size(), kFileMaxBytes) + 1);
    if (json.size() > kFileMaxBytes) {
        if (error)
            *error = path + QStringLiteral(": is larger than %1 MiB").arg(kFileMaxBytes >> 20);
        return std::nullopt;
    }
    return readScenario(json, path, error);
}
