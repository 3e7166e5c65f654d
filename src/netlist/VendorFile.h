#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The vendor file: lines of the form "XX-XX-XX Vendor", answered by the first
// line that holds a BSSID's prefix. The answer comes from an index built once
// at load, so a look-up does not walk the ~30 000 lines; it equals the first
// line in file order that contains the prefix anywhere, as a scan would find.
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

    void load(const QString &text);
    bool isEmpty() const { return m_lines.isEmpty(); }
    const QStringList &lines() const { return m_lines; }

    // The vendor of the BSSID's prefix, or a null QString when no line holds it.
    QString vendorFor(const QString &bssid) const;

private:
    void indexLine(qsizetype lineNo);

    QStringList m_lines;
    QHash<QString, qsizetype> m_firstLine; // prefix -> first line holding it
};
