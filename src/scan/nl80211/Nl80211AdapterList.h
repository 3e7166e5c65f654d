#pragma once

#include "scan/AdapterList.h"

#include <memory>

namespace nl80211 {
class Requester;
class Worker;
} // namespace nl80211

// The machine's Wi-Fi station interfaces as nl80211 lists them: each listing runs on a thread
// of the list's own (the socket is opened there too), so a slow kernel never holds the caller.
class Nl80211AdapterList : public AdapterList {
    Q_OBJECT
public:
    // Lists through the kernel's nl80211.
    explicit Nl80211AdapterList(QObject *parent = nullptr);
    // Lists through `requester`.
    explicit Nl80211AdapterList(std::unique_ptr<nl80211::Requester> requester,
                                QObject *parent = nullptr);
    ~Nl80211AdapterList() override;

    // A refresh while one is out is answered by it.
    void refresh() override;

private:
    std::unique_ptr<nl80211::Worker> m_worker;
    bool m_listing = false;
};
