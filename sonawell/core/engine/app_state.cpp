#include "core/engine/app_state.h"

bool bMainReady = false;
