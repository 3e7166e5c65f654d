#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The vendor file as a compact sorted table: for every prefix a line holds,
// the vendor text of the first such line, found by binary search. Built from
// the file's text once (at build time for the bundled file), it is used in
// place: looking up needs no parsing and touches only the pages it reads.
//
// Layout, integers little-endian 32-bit:
//   "AVX1", prefix count n, name count m, name bytes b
//   n prefixes (OUI as 0xXXYYZZ), ascending
//   n name numbers, the vendor of each prefix (names repeat across prefixes)
//   m + 1 name starts into the name bytes, ascending, the last one b
//   b name bytes, UTF-8
class VendorIndex {
public:
    // The table of a vendor file's text. It answers as the rule it stands in
    // for: the first line, in file order, that holds the prefix anywhere
    // (VendorFile::cleanLines, VendorFile::vendorText).
    static QByteArray build(const QString &vendorFileText);
    // Whether the bytes start as a table does (rather than as a text file).
    static bool looksLikeIndex(const QByteArray &data);

    // The table in a file: used in place when the file is an uncompressed Qt
    // resource (the bundled table), read otherwise; a vendor file's text is
    // made into a table. Nothing, and the reason in *error, when unreadable.
    static std::optional<VendorIndex> fromFile(const QString &path, QString *error);

    VendorIndex() = default;
    // The data is used in place (QByteArray::fromRawData suits mapped or
    // resource bytes); data that is no whole table gives an empty index.
    explicit VendorIndex(const QByteArray &data);

    bool isEmpty() const { return m_count == 0; }
    qsizetype size() const { return m_count; }
    // The prefix at a place in the sorted table, as "XX-XX-XX".
    QString prefixAt(qsizetype i) const;

    // The vendor of the BSSID's prefix (VendorFile::prefixOf), or a null
    // QString when no line holds it.
    QString vendorFor(const QString &bssid) const;

private:
    quint32 word(qsizetype at) const;
    QString nameOf(qsizetype entry) const;

    QByteArray m_data;
    qsizetype m_count = 0;
    qsizetype m_names = 0;
    qsizetype m_nameBytes = 0;
};
