// Web replies and vendor files are outside input. Any bytes read as a reply
// give a clean short name or none; read as a vendor file, the table made of
// it answers exactly as the first line holding the prefix would.
#include "netlist/VendorFile.h"
#include "netlist/VendorIndex.h"
#include "netlist/VendorLookup.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace {

void checkReply(const QByteArray &body) {
    const QString vendor = VendorLookup::vendorFromReply(body);
    if (vendor.isNull())
        return;
    if (vendor.isEmpty() || vendor.size() > VendorLookup::maxVendorLength ||
        vendor != vendor.trimmed() || vendor == QLatin1String("Unknown"))
        __builtin_trap();
    for (const QChar c : vendor) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            QStringView(u"<>{}").contains(c)) // no page or JSON passes for a name
            __builtin_trap();
    }
    if (vendor.back().isHighSurrogate())
        __builtin_trap();
}

QString firstMatchingLine(const QStringList &lines, const QString &prefix) {
    for (const QString &line : lines) {
        if (line.contains(prefix))
            return VendorFile::vendorText(line, prefix);
    }
    return {};
}

void checkIndex(const VendorIndex &index, const QStringList &lines, const QString &bssid) {
    const QString prefix = VendorFile::prefixOf(bssid);
    const QString indexed = index.vendorFor(bssid);
    if (!VendorFile::isIndexedForm(prefix)) {
        if (!indexed.isNull()) // only real prefixes are ever listed
            __builtin_trap();
        return;
    }
    const QString scanned = firstMatchingLine(lines, prefix);
    if (indexed != scanned || indexed.isNull() != scanned.isNull())
        __builtin_trap();
}

// Bytes taken as a table (a damaged build output) read nothing out of bounds.
void readAsTable(const QByteArray &bytes) {
    const VendorIndex table(bytes);
    for (qsizetype i = 0; i < table.size() && i < 64; ++i)
        (void)table.vendorFor(table.prefixAt(i).replace(QLatin1Char('-'), QLatin1Char(':')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 65536) // the scan oracle below is quadratic
        return 0;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkReply(bytes);
    readAsTable(bytes);

    const QString text = QString::fromUtf8(bytes);
    const QStringList lines = VendorFile::cleanLines(text);
    const VendorIndex index(VendorIndex::build(text));
    // Prefixes the input itself holds, and a few read from its start.
    checkIndex(index, lines, text.left(17));
    checkIndex(index, lines, text.mid(9, 17));
    for (const QString &line : lines) {
        checkIndex(index, lines, line.left(8));
        if (line.size() > 12)
            checkIndex(index, lines, line.mid(line.size() / 2, 8));
    }
    return 0;
}
