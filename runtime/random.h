// The C library's random generator, seeded as the runtime does.
#pragma once

void seedRandom();          // tickCount plus a process-wide salt
void seedRandom(unsigned seed);
int randomInt(int minimum = 0, int maximum = 2147483647);
