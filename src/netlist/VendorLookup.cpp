#include "VendorLookup.h"

#include "VendorTable.h"
#include "settings/Preferences.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QThread>

Q_LOGGING_CATEGORY(lcVendor, "airlume.vendor", QtInfoMsg)

namespace {

qint64 monotonicMs() {
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

bool isStrippedChar(QChar c) {
    // Format characters include the bidirectional overrides, which would
    // reorder the text of the cell around them.
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
}

QString withoutControlChars(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.isSpace())
            out += QLatin1Char(' '); // keeps "Acme\tNetworks" two words
        else if (!isStrippedChar(c))
            out += c;
    }
    return out;
}

// "text/plain", any case, with or without parameters such as a charset.
bool isPlainText(const QByteArray &contentType) {
    const QByteArray mediaType = contentType.split(';').first().trimmed().toLower();
    return mediaType == "text/plain";
}

// One line without the brackets of markup or JSON: a vendor name, not a page.
bool readsAsName(const QString &text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('<') ||
            c == QLatin1Char('>') || c == QLatin1Char('{') || c == QLatin1Char('}'))
            return false;
    }
    return true;
}

QString cutTo(const QString &text, qsizetype length) {
    if (text.size() <= length)
        return text;
    qsizetype end = length;
    if (text.at(end - 1).isHighSurrogate())
        --end; // never half a character
    return text.left(end);
}

} // namespace

VendorLookup::VendorLookup(const Preferences &prefs, QNetworkAccessManager *network,
                           QObject *parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_network(network)
    , m_baseUrl(defaultServiceBaseUrl())
    , m_clock(monotonicMs) {
    m_pace.setSingleShot(true);
    m_pace.setTimerType(Qt::PreciseTimer);
    connect(&m_pace, &QTimer::timeout, this, &VendorLookup::sendDueRequest);
}

VendorLookup::~VendorLookup() {
    for (QNetworkReply *reply : std::as_const(m_replies)) {
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
}

QString VendorLookup::bundledVendorFile() {
    return bundledVendorTable();
}

QUrl VendorLookup::defaultServiceBaseUrl() {
    return QUrl(QStringLiteral("https://api.macvendors.com/"));
}

bool VendorLookup::vendorName(const QString &path) {
    m_fileAsked = true;
    if (m_fileLoaded)
        return true;
    QString why;
    std::optional<VendorIndex> table = VendorIndex::fromFile(path, &why);
    if (!table) {
        qCWarning(lcVendor).noquote()
            << QStringLiteral("Error reading file: %1: %2").arg(path, why);
        return false;
    }
    m_file = std::move(*table);
    m_fileLoaded = true;
    return true;
}

QString VendorLookup::fileVendor(const QString &bssid) {
    if (!m_fileAsked)
        vendorName();
    if (bssid.isNull())
        return {};
    return m_file.vendorFor(bssid);
}

void VendorLookup::fetchVendorforMacAddress(const QString &bssid,
                                            const std::function<void(const QString &)> &complete) {
    QString vendor;
    if (!bssid.isNull()) {
        vendor = vendorDict.value(bssid);
        if (vendor.isNull()) {
            vendor = fileVendor(bssid);
            if (!vendor.isNull())
                vendorDict.insert(bssid, vendor);
            else
                askService(bssid);
        }
    }
    if (complete)
        complete(vendor);
}

void VendorLookup::setServiceBaseUrl(const QUrl &base) {
    m_baseUrl = base;
    if (!m_baseUrl.path().endsWith(QLatin1Char('/')))
        m_baseUrl.setPath(m_baseUrl.path() + QLatin1Char('/'));
}

void VendorLookup::setClock(Clock clock) {
    m_clock = std::move(clock);
}

QString VendorLookup::vendorFromReply(const QByteArray &body, const QByteArray &contentType) {
    if (body.size() > maxReplyBytes)
        return {};
    if (!contentType.isEmpty() && !isPlainText(contentType))
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    if (utf8.hasError() || !readsAsName(text.trimmed()))
        return {};
    const QString vendor = cutTo(withoutControlChars(text).trimmed(), maxVendorLength).trimmed();
    if (vendor.isEmpty() || vendor == QLatin1String("Unknown"))
        return {};
    return vendor;
}

bool VendorLookup::isSendable(const QString &bssid) {
    static const QRegularExpression mac(
        QStringLiteral("\\A[0-9A-Fa-f]{2}([:-])[0-9A-Fa-f]{2}(\\1[0-9A-Fa-f]{2}){4}\\z"));
    if (!mac.match(bssid).hasMatch())
        return false;
    const uint firstOctet = QStringView(bssid).left(2).toUInt(nullptr, 16);
    return (firstOctet & 0x02) == 0;
}

bool VendorLookup::lookupEnabled() const {
    // Only the exact word "Off" turns it off.
    return m_prefs.valueOrDefault(Preferences::vendorLookupKey) != Preferences::off;
}

bool VendorLookup::isHeldOff(const QString &bssid) {
    const auto failed = m_failedAtMs.constFind(bssid);
    if (failed == m_failedAtMs.cend())
        return false;
    if (m_clock() - *failed < failureHoldOffMs)
        return true;
    m_failedAtMs.erase(failed);
    return false;
}

// Two polling intervals between reloads, and ten seconds for a slow scan.
bool VendorLookup::isStale(const QString &bssid, qint64 now) const {
    const qint64 listedForMs =
        static_cast<qint64>(2000.0 * m_prefs.pollingIntervalSeconds()) + 10000;
    return now - m_askedAtMs.value(bssid) > listedForMs;
}

void VendorLookup::dropUnlisted(qint64 now) {
    m_queue.removeIf([&](const QString &bssid) {
        if (!isStale(bssid, now))
            return false;
        m_pending.remove(bssid);
        m_askedAtMs.remove(bssid);
        return true;
    });
}

void VendorLookup::askService(const QString &bssid) {
    if (m_askedAtMs.contains(bssid)) // still listed: it keeps its place
        m_askedAtMs.insert(bssid, m_clock());
    // A due request goes first, so the queue keeps its order.
    sendDueRequest();
    if (!m_network || !lookupEnabled() || !isSendable(bssid) || m_pending.contains(bssid) ||
        isHeldOff(bssid))
        return;
    if (m_queue.size() >= maxQueued)
        dropUnlisted(m_clock());
    if (m_queue.size() >= maxQueued)
        return;
    m_pending.insert(bssid);
    m_queue.enqueue(bssid);
    m_askedAtMs.insert(bssid, m_clock());
    sendDueRequest();
}

void VendorLookup::sendDueRequest() {
    if (m_queue.isEmpty())
        return;
    if (!lookupEnabled()) { // turned off while requests waited
        for (const QString &bssid : std::as_const(m_queue))
            m_pending.remove(bssid);
        m_queue.clear();
        m_askedAtMs.clear();
        return;
    }
    const qint64 now = m_clock();
    if (m_lastSentMs && now - *m_lastSentMs < requestSpacingMs) {
        if (!m_pace.isActive())
            m_pace.start(static_cast<int>(requestSpacingMs - (now - *m_lastSentMs)));
        return;
    }
    dropUnlisted(now);
    if (m_queue.isEmpty())
        return;
    m_lastSentMs = now;
    const QString bssid = m_queue.dequeue();
    m_askedAtMs.remove(bssid);
    send(bssid);
    if (!m_queue.isEmpty() && !m_pace.isActive())
        m_pace.start(static_cast<int>(requestSpacingMs));
}

void VendorLookup::send(const QString &bssid) {
    QUrl url = m_baseUrl;
    url.setPath(m_baseUrl.path() + bssid); // isSendable: nothing in it needs escaping
    QNetworkRequest request(url);
    request.setTransferTimeout(requestTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    m_replies.insert(reply);
    limitReplySize(reply);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, bssid] { onReplyFinished(reply, bssid); });
}

void VendorLookup::limitReplySize(QNetworkReply *reply) {
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64 total) {
        if (received > maxReplyBytes || total > maxReplyBytes)
            reply->abort();
    });
}

void VendorLookup::onReplyFinished(QNetworkReply *reply, const QString &bssid) {
    Q_ASSERT(QThread::currentThread() == thread()); // vendorDict is read by the table
    m_replies.remove(reply);
    reply->deleteLater();
    m_pending.remove(bssid);

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool success = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    const QString vendor =
        success ? vendorFromReply(reply->read(maxReplyBytes + 1),
                                  reply->rawHeader(QByteArrayLiteral("Content-Type")))
                : QString();
    if (vendor.isNull()) {
        const QString reason =
            success ? QStringLiteral("no vendor name in the reply") : reply->errorString();
        qCInfo(lcVendor).noquote()
            << "vendor lookup failed for" << bssid << "status" << status << reason;
        m_failedAtMs.insert(bssid, m_clock());
        return;
    }
    vendorDict.insert(bssid, vendor);
    Q_EMIT vendorCached(bssid, vendor);
}
