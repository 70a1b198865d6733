#pragma once

#include <vector>

class ConversionDriver;

// What the user does to the job list while it is worked: rows are 1-based, as the store's.
// The job in hand (running, being set up, or a stopped run still ending) never moves or goes;
// rows above it have ended, rows below it wait and may be put in another order.

// The first row that waits for its turn and may be moved.
int firstOpenRow(const ConversionDriver& driver);
bool canRemove(const ConversionDriver& driver, int row);
// Removes those of `rows` that may go; returns how many went.
int removeJobs(ConversionDriver& driver, std::vector<int> rows);
// Removes the jobs that are done (from a damaged source too).
int clearFinishedJobs(ConversionDriver& driver);
// Failed jobs wait again at the end of the list, in their order, with their own targets.
int retryFailedJobs(ConversionDriver& driver);
// Moves the open ones of `rows` one row up (delta -1) or down (+1); a row at the edge of the
// open rows stays, and so does one held up by it. Returns the rows they are at now.
std::vector<int> moveJobs(ConversionDriver& driver, std::vector<int> rows, int delta);
// Moves the open ones of `rows`, in their order, to stand before row `destination`
// (count() + 1 for the end), as a drop in the list does. Returns the rows they are at now.
std::vector<int> moveJobsTo(ConversionDriver& driver, std::vector<int> rows, int destination);
