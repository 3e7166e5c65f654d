// Stand-ins for what InterfaceSource asks of the machine: the adapter listing, and the
// opening of a chosen adapter, each answered later through the event loop.
#pragma once

#include "app/InterfaceSource.h"
#include "scan/AdapterList.h"

#include <memory>

// Lists the names given, later.
struct ListedAdapters : AdapterList {
    QStringList listed;
    void refresh() override {
        QMetaObject::invokeMethod(
            this, [this] { take(listed); }, Qt::QueuedConnection);
    }
    static std::unique_ptr<AdapterList> of(const QStringList &names) {
        auto list = std::make_unique<ListedAdapters>();
        list->listed = names;
        return list;
    }
};

// Opens with `opener`, answering later as openSourceLater does.
inline InterfaceSource::Switcher answerLater(InterfaceSource::Opener opener) {
    return [opener](const SourceOption &option, QObject *context, SourceOpened done) {
        QMetaObject::invokeMethod(
            context,
            [opener, option, done] {
                QString error, note;
                bool usageError = false;
                done(opener(option, &error, &usageError, &note), error);
            },
            Qt::QueuedConnection);
    };
}
