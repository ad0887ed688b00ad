#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace {

class SystemClock final : public Clock {
  public:
    quint32 timeGetTime() override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return quint32(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    void Sleep(quint32 milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    void DoEvents() override { QCoreApplication::processEvents(); }
    QDateTime Now() override {
        QDateTime now = QDateTime::currentDateTime();
        return now.addMSecs(-now.time().msec());
    }
};

}  // namespace

std::unique_ptr<Clock> createSystemClock() {
    return std::make_unique<SystemClock>();
}
