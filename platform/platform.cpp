#include "platform/platform.h"

Platform::Platform() = default;
Platform::~Platform() = default;
