// placeholder until the encoder is written
#include "encoder/encoder.h"
