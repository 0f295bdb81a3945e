#include "platform/SystemNames.h"

bool HasInstalledPlace() { return false; }
bool DisplayNamed() { return true; }
