#pragma once

struct PlannedJob;

// How many conversions run at once. Without --jobs: one per usable core for decodes and for
// encodes of sources under about a minute (too short for the encoder to spread them well), and
// a longer encode alone, since the encoder cuts it into chunks over every core itself.

// The cores this process may run on (its CPU affinity), at least 1.
int usableCores();
// True for an encode the encoder spreads over the cores: a source of about a minute or more,
// judged by its size so that no file is opened for it.
bool spreadsOverCores(const PlannedJob& job);
