#pragma once

#include "conntest/CommandRunner.h"

#include <QStringList>
#include <QTest>

// Holds each started command until the test ends it with fixture output.
class ScriptedRunner : public CommandRunner {
public:
    QStringList started; // "program arg ..." in start order
    int cancels = 0;
    Done pending;

    void start(const QString &program, const QStringList &arguments, Done done) override {
        started << (QStringList{program} + arguments).join(' ');
        pending = std::move(done);
    }
    void cancel() override {
        if (pending)
            ++cancels;
        pending = nullptr;
    }
    void finish(const CommandResult &result) {
        QVERIFY(pending);
        std::exchange(pending, nullptr)(result);
    }
};
