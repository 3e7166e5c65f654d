#include "VendorIndex.h"

#include "VendorFile.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QResource>
#include <QtEndian>
#include <map>

namespace {

constexpr char kMagic[4] = {'A', 'V', 'X', '1'};
constexpr qsizetype kHeaderBytes = 16;
constexpr qsizetype kWord = 4;
constexpr qsizetype kPrefixLength = 8; // "XX-XX-XX"

// "XX-XX-XX" in the indexed form -> 0xXXYYZZ.
quint32 keyOf(QStringView prefix) {
    return prefix.sliced(0, 2).toUInt(nullptr, 16) << 16 |
           prefix.sliced(3, 2).toUInt(nullptr, 16) << 8 | prefix.sliced(6, 2).toUInt(nullptr, 16);
}

void appendWord(QByteArray &out, quint32 value) {
    char bytes[kWord];
    qToLittleEndian(value, bytes);
    out.append(bytes, kWord);
}

} // namespace

// Every position of a line is tried, not only its start: the rule finds a
// prefix wherever a line holds it.
QByteArray VendorIndex::build(const QString &vendorFileText) {
    std::map<quint32, QString> vendors; // prefix -> vendor of the first line holding it
    for (const QString &line : VendorFile::cleanLines(vendorFileText)) {
        for (qsizetype at = 0; at + kPrefixLength <= line.size(); ++at) {
            const QStringView candidate = QStringView(line).sliced(at, kPrefixLength);
            if (!VendorFile::isIndexedForm(candidate))
                continue;
            const quint32 key = keyOf(candidate);
            if (vendors.find(key) == vendors.end())
                vendors.emplace(key, VendorFile::vendorText(line, candidate.toString()));
        }
    }

    QHash<QString, quint32> numbers; // each name is stored once
    QList<QByteArray> names;
    QList<quint32> nameOfPrefix;
    qsizetype nameBytes = 0;
    for (const auto &[key, vendor] : vendors) {
        auto found = numbers.constFind(vendor);
        if (found == numbers.cend()) {
            found = numbers.insert(vendor, quint32(names.size()));
            names.append(vendor.toUtf8());
            nameBytes += names.last().size();
        }
        nameOfPrefix.append(*found);
    }

    QByteArray out;
    out.reserve(kHeaderBytes + kWord * (2 * nameOfPrefix.size() + names.size() + 1) + nameBytes);
    out.append(kMagic, kWord);
    appendWord(out, quint32(vendors.size()));
    appendWord(out, quint32(names.size()));
    appendWord(out, quint32(nameBytes));
    for (const auto &entry : vendors)
        appendWord(out, entry.first);
    for (const quint32 number : std::as_const(nameOfPrefix))
        appendWord(out, number);
    quint32 start = 0;
    for (const QByteArray &name : std::as_const(names)) {
        appendWord(out, start);
        start += quint32(name.size());
    }
    appendWord(out, start);
    for (const QByteArray &name : std::as_const(names))
        out.append(name);
    return out;
}

std::optional<VendorIndex> VendorIndex::fromFile(const QString &path, QString *error) {
    const QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return VendorIndex(QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                                   resource.size()));
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    // ASCII as the registry's lines mostly are; a few names need UTF-8.
    return VendorIndex(looksLikeIndex(bytes) ? bytes : build(QString::fromUtf8(bytes)));
}

bool VendorIndex::looksLikeIndex(const QByteArray &data) {
    return data.startsWith(QByteArrayView(kMagic, kWord));
}

VendorIndex::VendorIndex(const QByteArray &data) {
    if (data.size() < kHeaderBytes || !looksLikeIndex(data))
        return;
    m_data = data;
    const qint64 count = word(kWord), names = word(2 * kWord), nameBytes = word(3 * kWord);
    if (kHeaderBytes + kWord * (2 * count + names + 1) + nameBytes != data.size()) {
        m_data.clear();
        return;
    }
    m_count = count;
    m_names = names;
    m_nameBytes = nameBytes;
}

quint32 VendorIndex::word(qsizetype at) const {
    return qFromLittleEndian<quint32>(m_data.constData() + at);
}

QString VendorIndex::prefixAt(qsizetype i) const {
    if (i < 0 || i >= m_count)
        return {};
    const quint32 key = word(kHeaderBytes + kWord * i);
    return QStringLiteral("%1-%2-%3")
        .arg(key >> 16, 2, 16, QLatin1Char('0'))
        .arg(key >> 8 & 0xff, 2, 16, QLatin1Char('0'))
        .arg(key & 0xff, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString VendorIndex::vendorFor(const QString &bssid) const {
    const QString prefix = VendorFile::prefixOf(bssid);
    if (m_count == 0 || !VendorFile::isIndexedForm(prefix))
        return {};
    const quint32 key = keyOf(prefix);
    qsizetype low = 0, high = m_count;
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (word(kHeaderBytes + kWord * middle) < key)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == m_count || word(kHeaderBytes + kWord * low) != key)
        return {};
    return nameOf(low);
}

// Out-of-range numbers read as no vendor: the table's sizes were checked
// when it was taken, its contents are checked here.
QString VendorIndex::nameOf(qsizetype entry) const {
    const quint32 number = word(kHeaderBytes + kWord * (m_count + entry));
    if (number >= m_names)
        return {};
    const qsizetype starts = kHeaderBytes + kWord * 2 * m_count;
    const quint32 begin = word(starts + kWord * number);
    const quint32 end = word(starts + kWord * (number + 1));
    if (begin > end || end > m_nameBytes)
        return {};
    const char *text = m_data.constData() + starts + kWord * (m_names + 1);
    const QString name = QString::fromUtf8(text + begin, end - begin);
    // A listed prefix always has a vendor text, even an empty one.
    return name.isNull() ? QString(QLatin1String("")) : name;
}
