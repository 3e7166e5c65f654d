#pragma once

#include <QString>
#include <functional>

// Writes the CSV text to `path` as UTF-8, all or nothing: the text goes to a
// temporary file beside the target that replaces it only when complete, so a
// failed write leaves an existing file as it was. On failure answers false and
// sets `error` (when given) to a sentence naming the path and the reason.
bool writeCsvFile(const QString &path, const QString &text, QString *error);

// The same for a text made piece by piece: `nextChunk` is called until it
// answers an empty string, and each piece is written before the next is asked
// for, so memory holds one piece at a time.
bool writeCsvChunks(const QString &path, const std::function<QString()> &nextChunk, QString *error);
