#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The vendor file's text rules: lines of the form "XX-XX-XX Vendor", and a
// BSSID answered by the first line, in file order, that holds its prefix
// anywhere. VendorIndex turns a file into a table that answers the same.
class VendorFile {
public:
    // The file text as loading cleans it: tabs and carriage returns removed,
    // runs of line feeds collapsed (no empty lines), then split into lines.
    static QStringList cleanLines(const QString &text);

    // "aa:bb:cc:dd:ee:ff" -> "AA-BB-CC": upper case, ":" -> "-", first 8
    // characters. Shorter texts give what there is.
    static QString prefixOf(const QString &bssid);

    // Whether a prefix is three upper-case hex octets joined by "-", the only
    // form the index holds. Real BSSIDs always give this form.
    static bool isIndexedForm(QStringView prefix);

    // The vendor text of a line that holds the prefix: every occurrence of the
    // prefix and every ":" removed, blanks at both ends trimmed. Never null.
    static QString vendorText(const QString &line, const QString &prefix);
};
