#pragma once

#include "VendorIndex.h"

#include <QHash>
#include <QObject>
#include <QQueue>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <optional>

class Preferences;
class QNetworkAccessManager;
class QNetworkReply;

// The maker of a radio, from its BSSID: first the bundled vendor table (the
// vendor file, made into VendorIndex at build time), then a public MAC-vendor
// web service for prefixes the file lacks. Web answers land
// in `vendorDict` on this object's (the UI) thread and are announced by
// vendorCached, so the table can show them at its next reload.
//
// What is sent is held back on purpose. The BSSIDs around a person tell where
// that person is, so requests go over HTTPS only by default, never for locally
// administered addresses (random per network; no registry lists them), and not
// at all when the user turned the look-up off. The public services limit the
// rate, so at most one request runs per BSSID, at most one starts per second,
// and a BSSID whose request failed rests for ten minutes.
//
// The table asks again at every reload about each listed BSSID the cache
// lacks. A queued BSSID nobody asked about for two polling intervals (and ten
// seconds to spare) has left the list and is dropped before its turn; the
// queue holds at most maxQueued, and one asked while it is full is asked
// again at a later reload.
class VendorLookup : public QObject {
    Q_OBJECT

public:
    // Milliseconds of a monotonic clock; tests pass their own.
    using Clock = std::function<qint64()>;

    static constexpr qint64 requestSpacingMs = 1000;
    static constexpr qint64 failureHoldOffMs = 10 * 60 * 1000;
    static constexpr qsizetype maxVendorLength = 64;
    // A vendor name is short; a longer body is an error page or worse.
    static constexpr qint64 maxReplyBytes = 4096;
    static constexpr int requestTimeoutMs = 15000;
    static constexpr qsizetype maxQueued = 64;

    // `network` may be null: the file alone answers then.
    VendorLookup(const Preferences &prefs, QNetworkAccessManager *network,
                 QObject *parent = nullptr);
    ~VendorLookup() override;

    static QString bundledVendorFile();
    static QUrl defaultServiceBaseUrl();

    // Loads the vendor file, once: later calls keep the first load. The path
    // holds a VendorIndex table (the bundled one is used in place) or a vendor
    // file's text. On failure logs "Error reading file: ..." and answers
    // false; the file then lists nothing and a later call may try again.
    bool vendorName(const QString &path = bundledVendorFile());

    // The vendor from the file alone; null when the file does not list it.
    // The first look-up loads the bundled file when vendorName() never ran.
    QString fileVendor(const QString &bssid);

    // Answers one look-up; `complete` runs exactly once, before this returns,
    // with the vendor text, or null when the answer has to come from the web
    // (it then arrives through vendorCached).
    void fetchVendorforMacAddress(const QString &bssid,
                                  const std::function<void(const QString &)> &complete);

    QHash<QString, QString> vendorDict; // BSSID text -> vendor; only grows

    void setServiceBaseUrl(const QUrl &base); // a path ending in "/" is assumed
    QUrl serviceBaseUrl() const { return m_baseUrl; }
    void setClock(Clock clock);

    // A reply body as a vendor name: UTF-8, control characters dropped, trimmed,
    // cut to maxVendorLength. Null when it is no name: empty, "Unknown", not
    // UTF-8, too long to be one, more than one line, or markup or JSON (an
    // error or captive-portal page), or a Content-Type other than text/plain
    // when the reply names one.
    static QString vendorFromReply(const QByteArray &body, const QByteArray &contentType = {});

    // Six hex octets joined by ":" or "-", universally administered: the only
    // BSSIDs the service is asked about.
    static bool isSendable(const QString &bssid);

Q_SIGNALS:
    void vendorCached(const QString &bssid, const QString &vendor);

private:
    bool lookupEnabled() const;
    bool isHeldOff(const QString &bssid);
    bool isStale(const QString &bssid, qint64 now) const;
    void dropUnlisted(qint64 now);
    void askService(const QString &bssid);
    void sendDueRequest();
    void send(const QString &bssid);
    void onReplyFinished(QNetworkReply *reply, const QString &bssid);
    void limitReplySize(QNetworkReply *reply);

    const Preferences &m_prefs;
    QNetworkAccessManager *m_network;
    VendorIndex m_file;
    bool m_fileAsked = false; // vendorName() ran, whatever it answered
    bool m_fileLoaded = false;
    QUrl m_baseUrl;
    Clock m_clock;

    QQueue<QString> m_queue;             // waiting for their turn, oldest first
    QSet<QString> m_pending;             // queued or in flight
    QHash<QString, qint64> m_askedAtMs;  // queued BSSID -> when last asked about
    QHash<QString, qint64> m_failedAtMs; // BSSID -> when its request failed
    std::optional<qint64> m_lastSentMs;
    QTimer m_pace;
    QSet<QNetworkReply *> m_replies; // in flight
};
