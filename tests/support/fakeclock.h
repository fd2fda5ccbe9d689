#pragma once
// A clock that does not wait: it records each wait, can run something in
// its place (a click on cancel) and hands out a fixed jitter.
#include <QList>
#include <functional>

#include "core/import/fetchpolicy.h"

namespace vorq::test {

struct FakeClock : Clock {
    QList<qint64> waits;
    qint64 now = 1000000;
    double fixedJitter = 0.5;
    std::function<void()> duringWait;

    bool sleepMs(qint64 ms, const std::function<bool()> &cancelled) override {
        waits.append(ms);
        now += ms;
        if (duringWait) duringWait();
        return !(cancelled && cancelled());
    }
    double jitter() override { return fixedJitter; }
    qint64 nowMs() override { return now; }
};

}  // namespace vorq::test
