#include "platform/notify_icon.h"

QEvent::Type TrayNotifyEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
