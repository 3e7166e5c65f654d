#pragma once

#include "conntest/CommandRunner.h"

#include <QTest>

// Holds each started command until the test ends it with fixture output.
struct ScriptedRunner : CommandRunner {
    QStringList started; // "program arg ..." in start order
    int cancels = 0;
    Done pending;

    void start(const QString &program, const QStringList &arguments, Done done) override {
        started << (QStringList{program} + arguments).join(' ');
        pending = std::move(done);
    }
    void cancel() override { cancels += std::exchange(pending, nullptr) ? 1 : 0; }
    void finish(const CommandResult &result) {
        QVERIFY(pending);
        std::exchange(pending, nullptr)(result);
    }
};
