#pragma once

namespace sw::enc {

// How many encoder workers a run starts: SONAWELL_ENCODER_THREADS when it holds a positive
// number, else the cores this process may run on (its CPU affinity), at least 1.
int EncoderThreadCount();

}  // namespace sw::enc
