// The settings file, the schedule and the start-up registration fill these in; until then the
// program starts with the controls' defaults and has no schedule.
#include <QTimer>

#include "app/form1.h"

void Form1::LoadSettings() {}

void Form1::SaveSettings() {}

void Form1::Timer1_Timer() {}

void Form1::Timer2_Timer() {
    Timer2->stop();
}
