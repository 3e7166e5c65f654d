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
