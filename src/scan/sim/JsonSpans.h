#pragma once

#include <QByteArrayView>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

// Finds where the values of a JSON text begin and end without building them,
// so a large document is read one small value at a time. Built whole, a
// document of many small objects takes 15 to 30 times its size in memory.
//
// The containers walked here are checked as Qt's parser checks them; every
// other value is handed to Qt's parser (parse()), so together they accept
// exactly the JSON that QJsonDocument accepts. Problems carry Qt's error
// codes and offsets into the whole text.
namespace jsonspans {

struct Span {
    qsizetype begin = 0; // first byte of the value
    qsizetype end = 0;   // just past its last byte
    qsizetype size() const { return end - begin; }
};

struct Problem {
    QJsonParseError::ParseError error = QJsonParseError::NoError;
    qsizetype offset = 0; // just past the byte at fault, as Qt reports it
};

// The offset of the first byte after JSON white space from `at`.
qsizetype skipSpace(QByteArrayView json, qsizetype at);

// The span of the value that starts at `at`: a string to its closing quote,
// a container to the bracket that balances its first (brackets inside strings
// do not count), anything else to the next white space, ',', ']' or '}'.
// A value that never ends runs to the end of the text.
Span valueAt(QByteArrayView json, qsizetype at);

// The value of a span as Qt's parser reads it; on a syntax error, Undefined
// and *problem set.
QJsonValue parse(QByteArrayView json, Span span, Problem *problem);

// The members of an object or the elements of an array, one at a time.
class ContainerWalk {
public:
    // `container` starts at its '{' or '['.
    ContainerWalk(QByteArrayView json, Span container);

    bool isObject() const { return m_object; }
    // Moves to the next member; false at the closing bracket or at a problem.
    bool next();
    const QString &key() const { return m_key; } // objects only
    Span value() const { return m_value; }
    bool failed() const { return m_problem.error != QJsonParseError::NoError; }
    Problem problem() const { return m_problem; }

private:
    bool fail(QJsonParseError::ParseError error, qsizetype at);
    bool finish(qsizetype closer);
    bool readKey(qsizetype at, qsizetype *after);

    QByteArrayView m_json;
    Span m_container;
    bool m_object = false;
    bool m_first = true;
    bool m_done = false;
    qsizetype m_at = 0;
    QString m_key;
    Span m_value;
    Problem m_problem;
};

} // namespace jsonspans
