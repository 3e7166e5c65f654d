#include "VendorFile.h"

#include <QRegularExpression>

namespace {

constexpr qsizetype prefixLength = 8; // "XX-XX-XX"

bool isUpperHex(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

} // namespace

QStringList VendorFile::cleanLines(const QString &text) {
    QString cleaned = text;
    cleaned.remove(QLatin1Char('\t'));
    cleaned.remove(QLatin1Char('\r'));
    static const QRegularExpression lineFeeds(QStringLiteral("\n+"));
    cleaned.replace(lineFeeds, QStringLiteral("\n"));
    return cleaned.split(QLatin1Char('\n'));
}

QString VendorFile::prefixOf(const QString &bssid) {
    QString prefix = bssid.toUpper();
    prefix.replace(QLatin1Char(':'), QLatin1Char('-'));
    return prefix.left(prefixLength);
}

bool VendorFile::isIndexedForm(QStringView prefix) {
    if (prefix.size() != prefixLength)
        return false;
    for (qsizetype i = 0; i < prefixLength; ++i) {
        const bool dashPlace = i % 3 == 2;
        if (dashPlace ? prefix[i] != QLatin1Char('-') : !isUpperHex(prefix[i]))
            return false;
    }
    return true;
}

QString VendorFile::vendorText(const QString &line, const QString &prefix) {
    QString text = line;
    if (!prefix.isEmpty())
        text.remove(prefix);
    text.remove(QLatin1Char(':'));
    text = text.trimmed();
    text.remove(QLatin1Char('\r'));
    // A listed prefix always has a vendor text, even an empty one.
    return text.isNull() ? QString(QLatin1String("")) : text;
}

void VendorFile::load(const QString &text) {
    m_lines = cleanLines(text);
    m_firstLine.clear();
    m_firstLine.reserve(m_lines.size());
    for (qsizetype lineNo = 0; lineNo < m_lines.size(); ++lineNo)
        indexLine(lineNo);
}

// Every position of a line that holds the prefix form is a key, not only the
// line's start, since a scan by "contains" would find it anywhere.
void VendorFile::indexLine(qsizetype lineNo) {
    const QString &line = m_lines.at(lineNo);
    for (qsizetype at = 0; at + prefixLength <= line.size(); ++at) {
        const QStringView candidate = QStringView(line).mid(at, prefixLength);
        if (!isIndexedForm(candidate))
            continue;
        const QString key = candidate.toString();
        if (!m_firstLine.contains(key))
            m_firstLine.insert(key, lineNo);
    }
}

QString VendorFile::vendorFor(const QString &bssid) const {
    const QString prefix = prefixOf(bssid);
    const auto found = m_firstLine.constFind(prefix);
    if (found == m_firstLine.cend())
        return {};
    return vendorText(m_lines.at(*found), prefix);
}
