// placeholder
#include "settings/app_settings.h"
