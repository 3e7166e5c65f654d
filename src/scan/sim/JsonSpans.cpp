#include "JsonSpans.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace jsonspans {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Just past the closing quote of the string whose opening quote is at `at`,
// or the end of the text when it never closes.
qsizetype stringEnd(QByteArrayView json, qsizetype at) {
    for (qsizetype i = at + 1; i < json.size(); ++i) {
        if (json[i] == '\\')
            ++i;
        else if (json[i] == '"')
            return i + 1;
    }
    return json.size();
}

// A key Qt would read byte for byte: printable ASCII without escapes.
bool isPlainKey(QByteArrayView quoted) {
    if (quoted.size() < 2 || quoted.back() != '"')
        return false;
    return std::all_of(quoted.begin() + 1, quoted.end() - 1,
                       [](char c) { return c >= 0x20 && c < 0x7f && c != '\\'; });
}

} // namespace

qsizetype skipSpace(QByteArrayView json, qsizetype at) {
    while (at < json.size() && isSpace(json[at]))
        ++at;
    return at;
}

Span valueAt(QByteArrayView json, qsizetype at) {
    if (at >= json.size())
        return {at, at};
    const char first = json[at];
    if (first == '"')
        return {at, stringEnd(json, at)};
    if (first == '{' || first == '[') {
        qsizetype depth = 0;
        for (qsizetype i = at; i < json.size(); ++i) {
            const char c = json[i];
            if (c == '"')
                i = stringEnd(json, i) - 1;
            else if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && --depth == 0)
                return {at, i + 1};
        }
        return {at, json.size()};
    }
    qsizetype i = at;
    while (i < json.size() && !isSpace(json[i]) && json[i] != ',' && json[i] != ']' &&
           json[i] != '}')
        ++i;
    return {at, i};
}

// Qt's parser takes only an object or an array as a document, so the value
// goes into a one-element array; offsets then shift by that '['.
QJsonValue parse(QByteArrayView json, Span span, Problem *problem) {
    QByteArray wrapped;
    wrapped.reserve(span.size() + 2);
    wrapped.append('[').append(json.sliced(span.begin, span.size())).append(']');
    QJsonParseError error;
    const QJsonArray array = QJsonDocument::fromJson(wrapped, &error).array();
    if (error.error == QJsonParseError::NoError && array.size() == 1)
        return array.first();
    if (problem) {
        *problem = error.error != QJsonParseError::NoError
                       ? Problem{error.error, std::clamp<qsizetype>(span.begin + error.offset - 1,
                                                                    0, json.size())}
                       : Problem{QJsonParseError::IllegalValue, span.begin + 1};
    }
    return QJsonValue(QJsonValue::Undefined);
}

ContainerWalk::ContainerWalk(QByteArrayView json, Span container)
    : m_json(json.first(container.end))
    , m_container(container)
    , m_object(json[container.begin] == '{')
    , m_at(container.begin + 1) {}

// The checks and error codes of Qt's own object and array parsing.
bool ContainerWalk::next() {
    if (m_done || failed())
        return false;
    const auto unterminated =
        m_object ? QJsonParseError::UnterminatedObject : QJsonParseError::UnterminatedArray;
    qsizetype at = skipSpace(m_json, m_at);
    if (at >= m_json.size())
        return fail(unterminated, at);
    if (m_json[at] == (m_object ? '}' : ']'))
        return finish(at);
    if (!m_first) {
        if (m_json[at] != ',')
            return fail(m_object ? QJsonParseError::UnterminatedObject
                                 : QJsonParseError::MissingValueSeparator,
                        at + 1);
        at = skipSpace(m_json, at + 1);
        if (at >= m_json.size())
            return fail(unterminated, at);
        if (m_object && m_json[at] == '}')
            return fail(QJsonParseError::MissingObject, at + 1);
    }
    m_first = false;
    if (m_object) {
        if (m_json[at] != '"')
            return fail(QJsonParseError::UnterminatedObject, at + 1);
        if (!readKey(at, &at))
            return false;
        at = skipSpace(m_json, at);
        if (at >= m_json.size() || m_json[at] != ':')
            return fail(QJsonParseError::MissingNameSeparator, at + 1);
        at = skipSpace(m_json, at + 1);
    }
    if (at >= m_json.size())
        return fail(unterminated, at);
    m_value = valueAt(m_json, at);
    if (m_value.size() == 0) // a ',', ']' or '}' where a value belongs
        return fail(QJsonParseError::IllegalValue, at + 1);
    m_at = m_value.end;
    return true;
}

bool ContainerWalk::readKey(qsizetype at, qsizetype *after) {
    const Span quoted = valueAt(m_json, at);
    const QByteArrayView text = m_json.sliced(quoted.begin, quoted.size());
    if (isPlainKey(text)) {
        m_key = QString::fromLatin1(text.sliced(1, text.size() - 2));
    } else {
        const QJsonValue key = parse(m_json, quoted, &m_problem);
        if (key.isUndefined())
            return false;
        m_key = key.toString();
    }
    *after = quoted.end;
    return true;
}

bool ContainerWalk::finish(qsizetype closer) {
    m_done = true;
    // The bracket that balances the first closes the container (valueAt),
    // unless the nesting is broken.
    if (closer + 1 != m_container.end)
        return fail(m_object ? QJsonParseError::UnterminatedObject
                             : QJsonParseError::UnterminatedArray,
                    closer + 1);
    return false;
}

bool ContainerWalk::fail(QJsonParseError::ParseError error, qsizetype at) {
    m_problem = {error, at};
    return false;
}

} // namespace jsonspans
