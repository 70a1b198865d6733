#include "core/engine/command_status.h"

#include "core/engine/conversion_driver.h"

CommandStatus computeCommandStatus(const QueueSnapshot& queue) {
    CommandStatus status;
    if (queue.converting) {
        status.stop = true;
    } else {
        status.start = !queue.busy && queue.current <= queue.count;
    }
    if (queue.count > 0 && queue.selected > 0) {
        // Any row but the job in hand: the driver follows the rows above it closing up.
        const bool inHand = queue.converting || queue.busy;
        status.del = queue.selected <= queue.count && (!inHand || queue.selected != queue.current);
    }
    return status;
}

CommandStatus computeCommandStatus(const ConversionDriver& driver, int selectedRow) {
    QueueSnapshot queue;
    queue.converting = driver.isConverting();
    queue.busy = driver.isBusy();
    queue.current = driver.currentJob();
    queue.count = driver.jobs().count();
    queue.selected = selectedRow;
    return computeCommandStatus(queue);
}
