#include "CsvFile.h"

#include <QDir>
#include <QSaveFile>
#include <utility>

namespace {

bool fail(const QString &path, const QString &reason, QString *error) {
    if (error)
        *error = QStringLiteral("Could not save \"%1\": %2.")
                     .arg(QDir::toNativeSeparators(path), reason);
    return false;
}

// Unbuffered, and retried after a short write: a full disk first shows as a
// short write without a reason, and only the next attempt reports the error.
// (A buffered QSaveFile can even commit a truncated file in that case.)
bool writeAll(QSaveFile &file, const QByteArray &bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

bool writeCsvFile(const QString &path, const QString &text, QString *error) {
    bool given = false;
    return writeCsvChunks(
        path,
        [&] {
            if (std::exchange(given, true))
                return QString();
            return text;
        },
        error);
}

bool writeCsvChunks(const QString &path, const std::function<QString()> &nextChunk,
                    QString *error) {
    QSaveFile file(path);
    // Writing in place when the folder forbids new files would lose atomicity.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(path, file.errorString(), error);
    for (QString chunk = nextChunk(); !chunk.isEmpty(); chunk = nextChunk()) {
        if (!writeAll(file, chunk.toUtf8())) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return fail(path, reason, error);
        }
    }
    if (!file.commit())
        return fail(path, file.errorString(), error);
    return true;
}
