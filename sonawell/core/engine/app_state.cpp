#include "core/engine/app_state.h"

bool mainWindowReady = false;
