// placeholder until the monitoring page is written
#include "encoder/monitor_page.h"
