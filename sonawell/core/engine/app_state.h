#pragma once

// The main window has finished its load set-up; until then handed-in files stay pending.
extern bool mainWindowReady;
