// The start-up registration fills this in; until then the start-up button keeps its caption.
#include "app/form1.h"

void Form1::RefreshStartupButton() {}
