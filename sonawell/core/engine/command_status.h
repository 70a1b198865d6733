#pragma once

class ConversionDriver;

// Which of Start, Stop and Delete are available; menu item and button always alike.
struct CommandStatus {
    bool start = false;
    bool stop = false;
    bool del = false;
};

struct QueueSnapshot {
    bool converting = false;  // a run or a decode under way
    bool busy = false;        // a decode, a run being set up, or a stopped run still ending
    int current = 1;          // 1-based row of the current job
    int count = 0;            // jobs in the list
    int selected = 0;         // 1-based selected row, 0 for none
};

CommandStatus computeCommandStatus(const QueueSnapshot& queue);
// selectedRow: 1-based selected row of the job list, 0 for none.
CommandStatus computeCommandStatus(const ConversionDriver& driver, int selectedRow);
