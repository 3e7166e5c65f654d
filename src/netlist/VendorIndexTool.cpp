// Makes the vendor table the application bundles from the vendor file's text,
// at build time:  airlume-vendor-index VENDOR_TEXT TABLE
#include "VendorIndex.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

int fail(const char *path, const QString &why) {
    std::fprintf(stderr, "airlume-vendor-index: %s: %s\n", path, qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: airlume-vendor-index VENDOR_TEXT TABLE\n");
        return 2;
    }
    QFile in(QFile::decodeName(argv[1]));
    if (!in.open(QIODevice::ReadOnly))
        return fail(argv[1], in.errorString());
    const QByteArray table = VendorIndex::build(QString::fromUtf8(in.readAll()));
    // The registry lists tens of thousands; a handful means a wrong input.
    if (const qsizetype prefixes = VendorIndex(table).size(); prefixes < 1000)
        return fail(argv[1], QStringLiteral("only %1 prefixes: not a vendor file?").arg(prefixes));
    QSaveFile out(QFile::decodeName(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(table) != table.size() || !out.commit())
        return fail(argv[2], out.errorString());
    return 0;
}
