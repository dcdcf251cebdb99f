#include "Module1.h"

std::vector<std::uint8_t> WaveData;
