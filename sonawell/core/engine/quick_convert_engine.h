#pragma once

#include "core/engine/pending_jobs.h"

#include <QObject>
#include <QString>

// The automation class other programs (the file manager's context menu) hand files to, on the
// session bus under the names of common/bus_names.h.
class QuickConvertEngine : public QObject {
    Q_OBJECT
public:
    explicit QuickConvertEngine(PendingJobs& pending, QObject* parent = nullptr);

    // Exports the object and asks for the bus name. False when there is no session bus; a
    // second instance, which can't own the name, still converts and stays silent.
    bool registerOnSessionBus();
    // Gives the bus name up, first thing when the program closes: a file handed in from then on
    // starts a new instance instead of reaching one that no longer takes jobs.
    static void unregisterFromSessionBus();

public Q_SLOTS:
    // The argument's name is part of the bus interface (introspection shows it). A plain path
    // or a "file://" URI, which carries a name that is not valid UTF-8.
    void AddJobs(const QString& strFileName);

private:
    PendingJobs& pending_;
};
